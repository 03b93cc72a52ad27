#pragma once

#include <cstddef>
#include <cstdio>

// The calls through which AtomicFile creates, writes, syncs and names its temporary, one function
// each. The programs link the system's own (atomic_file_calls_posix.cpp); the unit tests link
// versions in their place that fail on demand, to reach every failure path of a save. POSIX
// systems only: on Windows, AtomicFile calls the system itself.
namespace atomic_file_calls {

// A temporary file without a name in `directory`, open for writing, created with `mode` less the
// umask: its descriptor, or -1 with errno set. EOPNOTSUPP, EISDIR or EINVAL say that the system
// or the file system offers no such file.
int openUnnamed(const char* directory, unsigned mode);

// A write stream on the descriptor, buffered in `buffer` of `size` bytes, that closes the
// descriptor when it is closed and keeps in *writeError the error number of its first failed
// write; null on failure, when the descriptor stays open.
FILE* openStream(int fd, char* buffer, std::size_t size, int* writeError);

// fsync of the temporary file: 0 on success, -1 with errno set on failure.
int syncFile(int fd);

// Gives the unnamed temporary `fd` the name `path`, which must not exist: linkTarget for the
// target itself, linkHidden for a hidden name beside it. 0 on success, -1 with errno set.
int linkTarget(int fd, const char* path);
int linkHidden(int fd, const char* path);

// rename of a temporary over the target and fsync of the target's directory: 0 on success, -1
// with errno set on failure.
int renameFile(const char* from, const char* to);
int syncDirectory(int fd);

}  // namespace atomic_file_calls
