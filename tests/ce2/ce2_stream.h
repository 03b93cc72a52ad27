#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

// Read streams over given bytes for the CE2 reader tests.
namespace ce2test {

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// A seekable stream: the bytes in an anonymous temporary file, positioned at the start.
inline FilePtr fileStreamOf(const std::string& bytes) {
    FilePtr f(std::tmpfile());
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f.get());
        std::rewind(f.get());
    }
    return f;
}

// A pipe holding the bytes (at most one pipe buffer) with its write end closed.
inline FilePtr pipeStreamOf(const std::string& bytes) {
    int fds[2];
    if (pipe(fds) != 0) {
        return nullptr;
    }
    const bool written =
        write(fds[1], bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fds[1]);
    if (!written) {
        close(fds[0]);
        return nullptr;
    }
    return FilePtr(fdopen(fds[0], "rb"));
}

}  // namespace ce2test
