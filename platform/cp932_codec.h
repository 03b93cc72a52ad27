#pragma once

#include <optional>
#include <string>

// CP932 converted by the table made from the GNU C library's CP932 (platform/cp932_table.h), for
// a system whose C library has none: the same results as cp932ToUtf8 and utf8ToCp932 on Linux.

// The UTF-8 text of CP932 bytes; nothing when any byte or pair is not CP932.
std::optional<std::string> decodeCp932ByTable(const std::string& bytes);
// The CP932 bytes of a UTF-8 text; nothing when it is not UTF-8 or holds a character that CP932
// cannot write.
std::optional<std::string> encodeCp932ByTable(const std::string& text);
