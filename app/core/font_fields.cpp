#include "app/core/font_fields.h"

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/dialog_messages.h"
#include "app/core/face_choice.h"
#include "app/core/profile_file.h"
#include "platform/cp932.h"

namespace {

FontField readField(const ProfileFile& settings, const char* section, const char* defaultFace,
                    int defaultSize) {
    FontField field;
    field.faceBytes = settings.readString(section, kFaceKey, defaultFace);
    field.face = shownFace(field.faceBytes);
    field.size = std::to_string(settings.readInt(section, kSizeKey, defaultSize));
    return field;
}

}  // namespace

FontFields::FontFields(ProfileFile& settings)
    : settings_(settings),
      large_(readField(settings, kLargeFontSection, kDefaultLargeFace, kDefaultLargeSize)),
      small_(readField(settings, kSmallFontSection, kDefaultSmallFace, kDefaultSmallSize)) {}

const FontField& FontFields::field(FontRow row) const {
    return row == FontRow::Large ? large_ : small_;
}

const char* FontFields::section(FontRow row) {
    return row == FontRow::Large ? kLargeFontSection : kSmallFontSection;
}

FontConfirmation FontFields::confirm(FontRow row, const std::string& family, int points) {
    FontField& shown = at(row);
    const FaceChoice face = chooseFace(shown.faceBytes, shown.face, family);
    if (face.outcome != FaceOutcome::Kept && face.outcome != FaceOutcome::Changed) {
        return {FontConfirmation::Outcome::Refused, faceRefusalMessage(face)};
    }
    shown.faceBytes = face.bytes;
    shown.face = face.family;
    shown.size = std::to_string(points);
    const bool faceSaved = settings_.writeString(section(row), kFaceKey, shown.faceBytes);
    const bool sizeSaved = settings_.writeInt(section(row), kSizeKey, points);
    if (!faceSaved || !sizeSaved) {
        return {FontConfirmation::Outcome::NotSaved, settingsNotSavedMessage(settings_.path())};
    }
    return {};
}

ConversionOptions FontFields::options() const {
    return makeConversionOptions(large_.faceBytes, large_.size, small_.faceBytes, small_.size);
}
