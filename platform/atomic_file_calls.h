#pragma once

#include <cstddef>
#include <cstdio>

// The calls through which AtomicFile writes, syncs and renames, one function each. The programs
// link the system's own (atomic_file_calls_posix.cpp); the unit tests link versions in their
// place that fail on demand, to reach every failure path of a save.
namespace atomic_file_calls {

// A write stream on the descriptor, buffered in `buffer` of `size` bytes, that closes the
// descriptor when it is closed; null on failure, when the descriptor stays open.
FILE* openStream(int fd, char* buffer, std::size_t size);

// fsync of the temporary file, rename of the temporary over the target and fsync of the
// target's directory: 0 on success, -1 with errno set on failure.
int syncFile(int fd);
int renameFile(const char* from, const char* to);
int syncDirectory(int fd);

}  // namespace atomic_file_calls
