#pragma once

#include <string>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "ce2/ce2_reader.h"

// The two replacement fonts for comments as the dialog shows them: a face and a size in points
// for each row, read from the settings once and changed only by a confirmed font choice, which
// writes that row's two keys at once.
enum class FontRow { Large, Small };

// A row as the settings hold it: the face in CP932 and the size in points, the defaults where
// the file, section or key is missing.
struct StoredFont {
    std::string faceBytes;
    int points = 0;
};
StoredFont readStoredFont(const ProfileFile& settings, FontRow row);

struct FontField {
    std::string faceBytes;  // the face as stored and converted with: CP932
    std::string face;       // the face as shown: UTF-8
    std::string size;       // the size in points as shown, decimal
};

// What became of a confirmed choice that the settings keep (a font, the output folder). The
// message (UTF-8) tells the user why the choice was refused or the settings could not be written,
// or, once, where a new settings file was made; empty when it was saved otherwise.
struct SettingsConfirmation {
    enum class Outcome { Saved, SavedInNewFile, NotSaved, Refused };
    Outcome outcome = Outcome::Saved;
    std::string message;
};

class FontFields {
  public:
    // Reads both rows from the settings; a missing file, section or key gives the default.
    explicit FontFields(ProfileFile& settings);

    const FontField& field(FontRow row) const;
    // The settings section of a row.
    static const char* section(FontRow row);

    // Takes a confirmed choice: the family as the font dialog gave it back (UTF-8) and the size
    // in points. Confirming the family shown keeps the stored bytes; a family that CP932 cannot
    // hold, an empty one or one with a control character is refused and changes nothing.
    // Otherwise the row shows the choice and both keys are written, the second whatever became
    // of the first; when either fails the row keeps the choice all the same.
    SettingsConfirmation confirm(FontRow row, const std::string& family, int points);

    // The conversion's options: the stored faces, the sizes converted to the drawing's unit.
    ConversionOptions options() const;

  private:
    FontField& at(FontRow row) { return row == FontRow::Large ? large_ : small_; }

    ProfileFile& settings_;
    FontField large_;
    FontField small_;
};
