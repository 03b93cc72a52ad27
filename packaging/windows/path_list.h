#pragma once

#include <string>

// A PATH value: folders separated by ";". Entries compare without regard to ASCII letter case
// and to one trailing "\", as Windows finds programs; every other character of the value is
// kept as it was, however long the value is.

// `path` with `entry` appended, unless it holds it already (then `path` itself).
std::wstring pathWithEntry(const std::wstring& path, const std::wstring& entry);

// `path` without any entry equal to `entry`, and without the ";" that went with each.
std::wstring pathWithoutEntry(const std::wstring& path, const std::wstring& entry);
