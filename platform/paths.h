#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How the system spells paths. Paths are byte strings: on POSIX systems bytes as given, with "/"
// as the only separator and no prefix before the first folder.

// Whether c separates the folders of a path.
bool isPathSeparator(char c);

// The separator the system writes between folders, and that paths made here are joined with.
char pathSeparator();

// The length of the prefix that names a root or drive ahead of the folders; 0 when there is none.
std::size_t rootPrefixLength(std::string_view path);

// Where the final component of path begins: after its last separator and after its root prefix.
std::size_t finalComponentStart(std::string_view path);

#ifdef _WIN32
// True when the path names a device or a pipe rather than a file: a path in the device namespace
// (\\.\ or \\?\) other than one on a drive, UNC share or volume, a drive or volume itself (\\.\C:),
// a pipe share (\\server\pipe\...), or a final component that is one of the reserved device names
// (CON, NUL, COM1, ...), with or without an extension. Decided from the name alone, unopened.
bool namesDevice(const std::string& path);
#endif
