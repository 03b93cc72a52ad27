#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "platform/write_failure.h"

// Replaces a file atomically. The content goes to a temporary file in the target's directory that
// has no name where the system allows it, so that nothing is left behind however the process
// ends; `commit` checks, flushes and syncs it and only then gives it the target's name. Until
// `commit` succeeds the target is untouched; a temporary that was not committed is removed.
// A named temporary, where the system offers no other, is removed on interruption as well
// (platform/interruption.h).
//
// An existing target keeps its mode, and its owner and group where the process may set them. A
// symbolic link as target is followed only where the kernel's protected-symlink rule would follow
// it: not when it lies in a sticky, world-writable directory and belongs to neither the
// directory's owner nor the process's user.
class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Creates the temporary file and its buffered stream: mode 0666 less the umask for a new
    // target, the target's own mode, owner and group for an existing one. False on failure, and
    // for an existing target that is not a regular file or that the process may not write.
    bool open();
    // The temporary's stream after a successful `open`; null otherwise.
    FILE* stream() const;
    // Fails if any write failed; otherwise flushes, syncs, closes and gives the temporary the
    // target's name, then syncs the directory. On failure the temporary is gone and the target is
    // as it was, except after a failed directory sync, when the target may already hold the new
    // content.
    bool commit();
    // Why `open` or `commit` failed.
    const WriteFailure& failure() const;

  private:
    struct State;  // what each system keeps while a file is written
    std::unique_ptr<State> state_;
};
