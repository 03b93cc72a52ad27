// The unit tests' versions of the calls through which AtomicFile writes, syncs and renames: the
// system's own calls, except where installed faults make them fail.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/atomic_file_calls.h"
#include "platform/atomic_file_faults.h"

namespace {

const AtomicFileFaults* gFaults = nullptr;

// The temporary's sink while faults are installed: passes bytes to the file until the limit is
// used up, then reports short writes, which mark the stream's error.
struct LimitedSink {
    int fd;
    int64_t remaining;
    bool failClose;

    static ssize_t write(void* cookie, const char* buf, size_t size) {
        auto* sink = static_cast<LimitedSink*>(cookie);
        size_t wanted = size;
        if (sink->remaining >= 0 && wanted > static_cast<uint64_t>(sink->remaining)) {
            wanted = static_cast<size_t>(sink->remaining);
        }
        size_t done = 0;
        while (done < wanted) {
            const ssize_t n = ::write(sink->fd, buf + done, wanted - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (sink->remaining >= 0) {
            sink->remaining -= static_cast<int64_t>(done);
        }
        return static_cast<ssize_t>(done);
    }

    static int close(void* cookie) {
        const std::unique_ptr<LimitedSink> sink(static_cast<LimitedSink*>(cookie));
        const int r = ::close(sink->fd);
        return sink->failClose ? -1 : r;
    }
};

int failed() {
    errno = EIO;
    return -1;
}

}  // namespace

void setAtomicFileFaults(const AtomicFileFaults* faults) {
    gFaults = faults;
}

namespace atomic_file_calls {

FILE* openStream(int fd, char* buffer, std::size_t size) {
    if (gFaults == nullptr) {
        FILE* stream = ::fdopen(fd, "wb");
        if (stream != nullptr) {
            std::setvbuf(stream, buffer, _IOFBF, size);
        }
        return stream;
    }
    auto sink = std::make_unique<LimitedSink>(
        LimitedSink{fd, gFaults->writeLimit, gFaults->failClose});
    FILE* stream = fopencookie(
        sink.get(), "wb",
        cookie_io_functions_t{nullptr, &LimitedSink::write, nullptr, &LimitedSink::close});
    if (stream == nullptr) {
        return nullptr;
    }
    sink.release();  // the stream's close frees it
    if (gFaults->unbuffered) {
        std::setvbuf(stream, nullptr, _IONBF, 0);
    }
    return stream;
}

int syncFile(int fd) {
    return gFaults != nullptr && gFaults->failSync ? failed() : ::fsync(fd);
}

int renameFile(const char* from, const char* to) {
    return gFaults != nullptr && gFaults->failRename ? failed() : std::rename(from, to);
}

int syncDirectory(int fd) {
    return gFaults != nullptr && gFaults->failDirectorySync ? failed() : ::fsync(fd);
}

}  // namespace atomic_file_calls
