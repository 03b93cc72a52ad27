#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What a font chooser decides without a user interface. The faces are names for the Windows
// editor that opens the drawings; most are not installed here, so the chooser offers them by
// name and never replaces a face with the font that stands in for it on screen. Faces here are
// UTF-8 unless they are called bytes (CP932, as stored).

// A stored face (CP932 bytes) as the user sees it: decoded, or, for bytes that are no CP932 text,
// taken as UTF-8 with every byte that does not decode shown as U+FFFD.
std::string shownFace(const std::string& storedBytes);

// The Windows faces that drawings commonly name, offered whether or not they are installed.
const std::vector<std::string>& commonWindowsFaces();

// A family name as a font listing gives it, without a foundry suffix such as " [urw]", and
// without surrounding blanks.
std::string plainFamily(std::string_view family);

// The faces a chooser offers: the stored face, the common Windows faces and the installed
// families (as plain names), each once whatever its letter case (the first spelling in that
// order wins), sorted without regard to ASCII letter case.
std::vector<std::string> offeredFaces(const std::string& storedFace,
                                      const std::vector<std::string>& installed);

enum class FaceOutcome {
    Kept,                // the family shown was confirmed: the stored bytes stay as they were
    Changed,             // another family: its CP932 bytes are stored
    Empty,               // refused: no family given
    NotCp932,            // refused: CP932 cannot hold the family
    HasControlCharacter  // refused: a control character (a line break, a tab) in the family
};

struct FaceChoice {
    FaceOutcome outcome = FaceOutcome::Kept;
    std::string bytes;   // the face to store, CP932
    std::string family;  // the face to show
};

// The face that a confirmed chooser leaves. shownFace is the stored face as the chooser showed
// it (storedBytes decoded, or as near as they could be); chosenFamily is the family it gave back.
// The stored bytes stay, byte for byte, unless another family was chosen; a family is compared
// as given and as its plain name.
FaceChoice chooseFace(const std::string& storedBytes, const std::string& shownFace,
                      const std::string& chosenFamily);

// Sizes between the points of the settings and the pixels of a font on a 96-dpi screen.
// The points a chooser shows for a pixel size: the nearest, so that points * 96 / 72 pixels
// show as the same points again.
int nearestPoints(int pixels);
// The points taken back from a pixel size: |pixels * 72 / 96|, truncated.
int pixelsToPoints(int pixels);
