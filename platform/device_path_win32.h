#pragma once

#include <string>

// True when the path names a device or a pipe rather than a file: a path in the device namespace
// (\\.\ or \\?\) other than one on a drive, UNC share or volume, a drive or volume itself (\\.\C:),
// a pipe share (\\server\pipe\...), or a final component that is one of the reserved device names
// (CON, NUL, COM1, ...), with or without an extension. Decided from the name alone, unopened.
bool namesDevice(const std::string& path);
