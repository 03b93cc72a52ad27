#include "app/core/font_fields.h"

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/dialog_messages.h"
#include "app/core/face_choice.h"
#include "app/core/profile_file.h"
#include "platform/text.h"

namespace {

FontField shownField(const StoredFont& stored) {
    return {stored.faceBytes, shownFace(stored.faceBytes), std::to_string(stored.points)};
}

}  // namespace

StoredFont readStoredFont(const ProfileFile& settings, FontRow row) {
    const bool large = row == FontRow::Large;
    const char* section = FontFields::section(row);
    return {settings.readString(section, kFaceKey, large ? kDefaultLargeFace : kDefaultSmallFace),
            settings.readInt(section, kSizeKey, large ? kDefaultLargeSize : kDefaultSmallSize)};
}

FontFields::FontFields(ProfileFile& settings)
    : settings_(settings),
      large_(shownField(readStoredFont(settings, FontRow::Large))),
      small_(shownField(readStoredFont(settings, FontRow::Small))) {}

const FontField& FontFields::field(FontRow row) const {
    return row == FontRow::Large ? large_ : small_;
}

const char* FontFields::section(FontRow row) {
    return row == FontRow::Large ? kLargeFontSection : kSmallFontSection;
}

SettingsConfirmation FontFields::confirm(FontRow row, const std::string& family, int points) {
    FontField& shown = at(row);
    const FaceChoice face = chooseFace(shown.faceBytes, shown.face, family);
    if (face.outcome != FaceOutcome::Kept && face.outcome != FaceOutcome::Changed) {
        return {SettingsConfirmation::Outcome::Refused, faceRefusalMessage(face)};
    }
    shown.faceBytes = face.bytes;
    shown.face = face.family;
    shown.size = std::to_string(points);
    std::string faceCause;
    std::string sizeCause;
    const bool faceSaved =
        settings_.writeString(section(row), kFaceKey, shown.faceBytes, &faceCause);
    const bool sizeSaved = settings_.writeInt(section(row), kSizeKey, points, &sizeCause);
    if (!faceSaved || !sizeSaved) {
        return {SettingsConfirmation::Outcome::NotSaved,
                settingsNotSavedMessage(settings_.path(), faceSaved ? sizeCause : faceCause)};
    }
    return {};
}

ConversionOptions FontFields::options() const {
    return makeConversionOptions(large_.faceBytes, large_.size, small_.faceBytes, small_.size);
}
