#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of a profile (INI) file, read and changed line by line as the Windows profile
// functions do. A line ends at LF or CR LF; the last line may have no end.
// - A line whose first non-blank byte is '[' and that holds a ']' starts a section, named by
//   what lies between the '[' and the first ']', without surrounding blanks.
// - A line whose first non-blank byte is ';' is a comment.
// - Any other line inside a section that holds a '=' is a key: its name is what precedes the
//   first '=', its value what follows it, both without surrounding blanks.
// - Every other line (keys before the first section, text without '=') is kept but means nothing.
// Section and key names compare without regard to ASCII letter case. When a section or a key
// occurs more than once, the first one counts: a later section of the same name is never read.

// The bytes around names and values that the profile functions trim: space, tab, CR, VT and FF.
bool isProfileBlank(char c);

// The value of the key, cut at its first NUL byte as a C string would be; nothing when the
// section or the key is missing.
std::optional<std::string> profileValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with the key set to value. Only one line changes or is added, every other byte stays:
// - the key's line keeps its indent, name, spacing around '=' and trailing blanks, and only its
//   value is replaced;
// - a missing key is added after the last key of its section (after the section's line when it
//   has none);
// - a missing section is added, with the key, at the end of the text.
// Added lines end in the text's first line end (CR LF when it has none); a last line without an
// end gets one before a line is added after it. The entry must fit a line (fitsProfileLine).
std::string withProfileValue(std::string_view text, std::string_view section, std::string_view key,
                             std::string_view value);

// Whether the entry reads back as written once it is on a line: names that are not empty and
// have no surrounding blanks, no CR, LF or NUL anywhere, no ']' in the section, and a key with
// no '=' that does not begin with '[' or ';'.
bool fitsProfileLine(std::string_view section, std::string_view key, std::string_view value);
