#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/files.h"

// Read streams that POSIX systems offer, for the CE2 reader tests.
namespace ce2test {

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

// A stream that yields the bytes and then fails, as a read error on a disk would.
class FailingStream {
  public:
    explicit FailingStream(std::string bytes)
        : bytes_(std::move(bytes)),
          file_(fopencookie(this, "rb", cookie_io_functions_t{&read, nullptr, nullptr, nullptr})) {}
    FailingStream(const FailingStream&) = delete;
    FailingStream& operator=(const FailingStream&) = delete;

    FILE* get() const { return file_.get(); }

  private:
    static ssize_t read(void* cookie, char* buf, std::size_t size) {
        auto* self = static_cast<FailingStream*>(cookie);
        if (self->pos_ == self->bytes_.size()) {
            errno = EIO;
            return -1;
        }
        const std::size_t n = self->bytes_.copy(buf, size, self->pos_);
        self->pos_ += n;
        return static_cast<ssize_t>(n);
    }

    std::string bytes_;
    std::size_t pos_ = 0;
    FilePtr file_;
};

}  // namespace ce2test
