#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The system's open-file, save-file, folder and font dialogs, as the main dialog uses them. Texts
// and paths are UTF-8 on this side.

// What came of the open-file dialog: the .ce2 files picked, full paths in the order it gives
// them, or that the user cancelled, or that more names were picked than its buffer holds.
struct Ce2Choice {
    enum class Outcome { Chosen, Cancelled, TooMany };
    Outcome outcome = Outcome::Cancelled;
    std::vector<std::string> paths;
};
Ce2Choice chooseCe2Files(HWND owner);

// The paths in what a multiple-selection open-file dialog leaves in its buffer: one full path
// ending in a NUL, or the folder and then each name, each ending in a NUL, with a second NUL
// after the last.
std::vector<std::wstring> selectedPaths(const wchar_t* buffer);

// The path to save an SVG file to, chosen in the save-file dialog opened on `suggested` (a full
// path); nothing when the user cancels. The dialog asks before an existing file is replaced.
std::optional<std::string> chooseSvgFile(HWND owner, const std::string& suggested);

// The path to save a CSV report to, as chooseSvgFile chooses one.
std::optional<std::string> chooseReportFile(HWND owner, const std::string& suggested);

// A folder chosen in the system's folder picker, opened on `initial` when it names one; nothing
// when the user cancels or the picker cannot be shown.
std::optional<std::string> chooseFolder(HWND owner, const std::string& initial);

// A font confirmed in the font dialog: its face and its size in points.
struct ChosenFont {
    std::string face;
    int points = 0;
};

// Runs the font dialog on the face at the size in points (sizeText's leading number); nothing
// when the user cancels.
std::optional<ChosenFont> chooseFont(HWND owner, const std::string& face,
                                     const std::string& sizeText);
