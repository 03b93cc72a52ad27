#pragma once

#include <string>

// Interruption of a run by its user: SIGINT, SIGTERM and SIGHUP on POSIX systems, the console's
// Ctrl-C and close events on Windows. A named temporary file that a save creates is remembered
// while it exists, and an interruption removes every remembered file before the process ends as
// the interruption ends it (on POSIX systems: killed by that signal).
//
// Remembering and forgetting are safe from any thread and never allocate; up to
// kRememberedTemporaryFiles files are remembered at once.

constexpr int kRememberedTemporaryFiles = 64;

// Installs the handlers; a program calls it once, at start-up. An interruption that the process
// was told to ignore (nohup) stays ignored.
void installInterruptionHandlers();

// Remembers a named temporary file for removal on interruption, until it is forgotten: the handle
// to forget it by, or -1 when it cannot be remembered (kRememberedTemporaryFiles already, or a path
// too long).
int rememberTemporaryFile(const std::string& path);
// Forgets the file of a handle; -1 is ignored.
void forgetTemporaryFile(int handle);
