#pragma once

#include <string>

// The system's text for one of its error numbers, e.g. "No space left on device".
std::string systemErrorText(int error);

#ifdef _WIN32
// The C library's error number for a Windows error code that names the same cause, so that its
// message reads as it does on POSIX systems; 0 for any other code.
int errnoForWindowsError(unsigned long error);

// Why a Windows function failed: strerror's text for an error that has an error number, else the
// system's own wording.
std::string windowsErrorText(unsigned long error);
#endif
