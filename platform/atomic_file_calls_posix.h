#pragma once

#include <cstddef>
#include <cstdio>

// The system calls through which AtomicFile creates, writes, syncs and names its temporary, held
// in a table that a test may change while the program runs, to reach every failure path of a save.
// Each entry is the system's own call until a test swaps it. POSIX systems only: on Windows,
// AtomicFile calls the system itself.
struct AtomicFileCalls {
    // A temporary file without a name in `directory`, open for writing, created with `mode` less
    // the umask: its descriptor, or -1 with errno set. EOPNOTSUPP, EISDIR or EINVAL say that the
    // system or the file system offers no such file.
    int (*openUnnamed)(const char* directory, unsigned mode);

    // A write stream on the descriptor, buffered in `buffer` of `size` bytes, that closes the
    // descriptor when it is closed and keeps in *writeError the error number of its first failed
    // write; null on failure, when the descriptor stays open.
    FILE* (*openStream)(int fd, char* buffer, std::size_t size, int* writeError);

    // fsync of the temporary file: 0 on success, -1 with errno set on failure.
    int (*syncFile)(int fd);

    // Gives the unnamed temporary `fd` the name `path`, which must not exist: linkTarget for the
    // target itself, linkHidden for a hidden name beside it. 0 on success, -1 with errno set.
    int (*linkTarget)(int fd, const char* path);
    int (*linkHidden)(int fd, const char* path);

    // rename of a temporary over the target and fsync of the target's directory: 0 on success, -1
    // with errno set on failure.
    int (*renameFile)(const char* from, const char* to);
    int (*syncDirectory)(int fd);
};

// The system's own calls.
const AtomicFileCalls& systemAtomicFileCalls();

// The calls that every AtomicFile makes. A test sets others before it saves and resets them after;
// the table is not guarded, so no save may run on another thread meanwhile.
const AtomicFileCalls& atomicFileCalls();
void setAtomicFileCalls(const AtomicFileCalls& calls);
void resetAtomicFileCalls();
