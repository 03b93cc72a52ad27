#pragma once

#include <optional>
#include <string>

// Conversions between the CP932 bytes of drawings and settings and the texts the user sees.
// Empty when the text cannot be represented in the target encoding.
std::optional<std::string> cp932ToUtf8(const std::string& bytes);
std::optional<std::string> utf8ToCp932(const std::string& text);
// From the encoding of the current locale (LC_CTYPE) to CP932.
std::optional<std::string> localeToCp932(const std::string& text);
// Whether the current locale (LC_CTYPE) is the C/POSIX one, whose encoding holds only ASCII.
bool localeIsAsciiOnly();
