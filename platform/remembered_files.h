#pragma once

// The registry behind rememberTemporaryFile, shared by the systems' interruption handlers. It uses
// only lock-free atomics, so that a signal handler, or the thread the console starts for its
// event, may walk it while other threads change it.

// Marks the interruption as begun, waits (calling nap) until no creation of a remembered file is
// under way, then passes each remembered path to remove. Async-signal-safe when its arguments are.
void removeRememberedFiles(void (*remove)(const char* path), void (*nap)());

// Counts a creation under way; false, with nothing counted, once an interruption has begun.
bool tryBeginTemporaryCreation();
