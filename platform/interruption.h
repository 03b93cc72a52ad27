#pragma once

#include <string>

// Interruption of a run by its user: SIGINT and SIGTERM on POSIX systems, the console's Ctrl-C
// and close events on Windows. A named temporary file that a save creates is remembered while it
// exists, and an interruption removes every remembered file before the process ends as the
// interruption ends it.
//
// This is the seam only: the POSIX and Win32 implementations come with the handling of
// interrupted saves, and nothing calls these functions yet.

// Installs the handlers; a program calls it once, at start-up.
void installInterruptionHandlers();

// Remembers a named temporary file for removal on interruption, until it is forgotten.
void rememberTemporaryFile(const std::string& path);
void forgetTemporaryFile(const std::string& path);
