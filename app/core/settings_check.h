#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The first line of a text that a settings file would not hold: one with a NUL byte or another
// control byte than tab, CR, LF, VT and FF, or one that is neither blank, a comment (first
// non-blank byte ';' or '#'), a section (first non-blank byte '[') nor holding a '='. Lines end at
// LF; a UTF-8 byte order mark at the start is allowed. So binary files and prose are refused and
// any plausible INI file is taken, also one that the profile functions read only in part.
struct ForeignLine {
    std::size_t number = 0;  // from 1; 0 when every line is a settings line
    bool controlBytes = false;
};
ForeignLine findForeignLine(std::string_view text);

// Why the file cannot serve as a settings file that the user named; empty when it can. It must be
// a regular file that can be read, of at most 1 MiB, with no foreign line.
std::string settingsFileProblem(const std::string& path);

// What a usable settings file holds that the profile functions do not read as it looks, for a
// warning; empty when nothing: a first section behind a UTF-8 byte order mark (the mark makes
// its line no section, so its keys count as outside any section), or CR alone as line end (the
// whole file is then one line).
std::string settingsTextWarning(std::string_view text);

// The settings file a program starts with, checked once: the file to read and write, and what the
// user is told of it (UTF-8, beginning with the path; empty when there is nothing to tell). A file
// that exists but cannot be used gives an empty path, so the defaults apply and it is never
// written, and a notice with its cause; a usable one that the profile functions read other than it
// looks keeps its path and gives the warning.
struct SettingsInUse {
    std::string path;
    std::string notice;
};
SettingsInUse settingsInUse(const std::string& found);
