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

// Brackets the creation of a file under a remembered name, from before the name is remembered
// until the file exists or its creation has failed. An interruption waits for the creations under
// way before it removes the remembered files, so that none is created behind its back by another
// thread; a creation that would begin once an interruption has begun waits for the process to end
// instead. On POSIX systems the caller holds the interruptions back in its thread meanwhile
// (InterruptionsHeld), so that the interruption never waits for its own thread.
void beginTemporaryCreation();
void endTemporaryCreation();

class TemporaryCreation {
  public:
    TemporaryCreation() { beginTemporaryCreation(); }
    TemporaryCreation(const TemporaryCreation&) = delete;
    TemporaryCreation& operator=(const TemporaryCreation&) = delete;
    ~TemporaryCreation() { endTemporaryCreation(); }
};

// The registry behind rememberTemporaryFile, for the systems' interruption handlers. It uses only
// lock-free atomics, so that a signal handler, or the thread the console starts for its event, may
// walk it while other threads change it.

// Marks the interruption as begun, waits (calling nap) until no creation of a remembered file is
// under way, then passes each remembered path to remove. Async-signal-safe when its arguments are.
void removeRememberedFiles(void (*remove)(const char* path), void (*nap)());

// Counts a creation under way; false, with nothing counted, once an interruption has begun.
bool tryBeginTemporaryCreation();
