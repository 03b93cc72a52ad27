#include "platform/atomic_file_calls_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

namespace {

// The descriptor of a write stream, and where the error of its first failed write goes. A stream
// of the C library keeps only an error flag; the report wants to say why.
struct Sink {
    int fd;
    int* writeError;

    static ssize_t write(void* cookie, const char* buf, size_t size) {
        auto* sink = static_cast<Sink*>(cookie);
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(sink->fd, buf + done, size - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                if (*sink->writeError == 0) {
                    *sink->writeError = n < 0 ? errno : EIO;
                }
                break;
            }
            done += static_cast<size_t>(n);
        }
        return static_cast<ssize_t>(done);
    }

    static int close(void* cookie) {
        const std::unique_ptr<Sink> sink(static_cast<Sink*>(cookie));
        return ::close(sink->fd);
    }
};

// The name under which the unnamed file `fd` can be linked.
std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

int openUnnamed(const char* directory, unsigned mode) {
    const int fd = ::open(directory, O_TMPFILE | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
    // Linking goes through /proc; without it an unnamed file could never be given a name. Once
    // found there, it stays for the life of the process.
    static std::atomic<bool> linksThroughProc{false};
    if (fd >= 0 && !linksThroughProc.load(std::memory_order_relaxed)) {
        if (::access(descriptorPath(fd).c_str(), F_OK) != 0) {
            ::close(fd);
            errno = EOPNOTSUPP;
            return -1;
        }
        linksThroughProc.store(true, std::memory_order_relaxed);
    }
    return fd;
}

FILE* openStream(int fd, char* buffer, std::size_t size, int* writeError) {
    auto sink = std::make_unique<Sink>(Sink{fd, writeError});
    FILE* stream = ::fopencookie(
        sink.get(), "wb", cookie_io_functions_t{nullptr, &Sink::write, nullptr, &Sink::close});
    if (stream == nullptr) {
        return nullptr;
    }
    sink.release();  // the stream's close frees it
    std::setvbuf(stream, buffer, _IOFBF, size);
    return stream;
}

int syncDescriptor(int fd) {
    return ::fsync(fd);
}

int linkDescriptor(int fd, const char* path) {
    return ::linkat(AT_FDCWD, descriptorPath(fd).c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW);
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

constexpr AtomicFileCalls kSystemCalls{
    .openUnnamed = openUnnamed,
    .openStream = openStream,
    .syncFile = syncDescriptor,
    .linkTarget = linkDescriptor,
    .linkHidden = linkDescriptor,
    .renameFile = renameFile,
    .syncDirectory = syncDescriptor,
};

AtomicFileCalls gCalls = kSystemCalls;

}  // namespace

const AtomicFileCalls& systemAtomicFileCalls() {
    return kSystemCalls;
}

const AtomicFileCalls& atomicFileCalls() {
    return gCalls;
}

void setAtomicFileCalls(const AtomicFileCalls& calls) {
    gCalls = calls;
}

void resetAtomicFileCalls() {
    gCalls = kSystemCalls;
}
