#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/atomic_file.h"

// Following symbolic links as a save follows them, for the POSIX files of the platform layer that
// write files or foresee how writing them would go.

// The folder part of a path: "." for a bare name, "/" for a file in the root.
std::string directoryOf(const std::string& path);

struct Resolved {
    std::string path;  // empty when the links are not followed
    WriteFailure failure;
    // What stat finds at `path`, as the last look at it found no link there: the file, or the
    // error (ENOENT where there is none).
    struct stat found {};
    int notFound = 0;
};

// The file that opening `path` for writing would write: symbolic links are followed, also a last
// one that names a file not there yet, which is then created. A link is followed only where the
// kernel's protected-symlink rule would follow it (Cause::ProtectedLink otherwise).
Resolved resolveLinks(std::string path);
