#pragma once

#include <string>

// Texts and paths for the wide Windows functions. Paths inside the program are UTF-8; they meet
// UTF-16 only here, so that names the ANSI code page cannot hold work as well.

// UTF-8 to UTF-16 and back. A byte that is not UTF-8, or a lone surrogate, becomes U+FFFD.
std::wstring widenUtf8(const std::string& text);
std::string narrowToUtf8(const std::wstring& text);

// The path as the wide file functions take it: a path whose full form is too long for the classic
// limit (MAX_PATH) is given in its full \\?\ form, which has no such limit.
std::wstring widePath(const std::string& path);
