#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The system's open-file and font dialogs, as the main dialog uses them. Texts and paths are
// UTF-8 on this side.

// The .ce2 files picked in the open-file dialog, full paths in the order it gives them; nothing
// when the user cancels or the names do not fit its buffer.
std::optional<std::vector<std::string>> chooseCe2Files(HWND owner);

// The paths in what a multiple-selection open-file dialog leaves in its buffer: one full path
// ending in a NUL, or the folder and then each name, each ending in a NUL, with a second NUL
// after the last.
std::vector<std::wstring> selectedPaths(const wchar_t* buffer);

// A font confirmed in the font dialog: its face and its size in points.
struct ChosenFont {
    std::string face;
    int points = 0;
};

// Runs the font dialog on the face at the size in points (sizeText's leading number); nothing
// when the user cancels.
std::optional<ChosenFont> chooseFont(HWND owner, const std::string& face,
                                     const std::string& sizeText);
