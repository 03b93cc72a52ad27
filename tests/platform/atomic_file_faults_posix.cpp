// The faults of the unit tests, as calls for AtomicFile's table of system calls that fail on
// demand and otherwise make the system's own.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/atomic_file_calls_posix.h"
#include "platform/atomic_file_faults.h"

namespace {

const AtomicFileFaults* gFaults = nullptr;

// The temporary's sink: passes bytes to the file until the limit of installed faults is used up,
// then reports short writes, which mark the stream's error, with the error of a full disk.
struct LimitedSink {
    int fd;
    int64_t remaining;
    bool failClose;
    int* writeError;

    static ssize_t write(void* cookie, const char* buf, size_t size) {
        auto* sink = static_cast<LimitedSink*>(cookie);
        size_t wanted = size;
        if (sink->remaining >= 0 && wanted > static_cast<uint64_t>(sink->remaining)) {
            wanted = static_cast<size_t>(sink->remaining);
        }
        size_t done = 0;
        int error = ENOSPC;
        while (done < wanted) {
            const ssize_t n = ::write(sink->fd, buf + done, wanted - done);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                error = errno;
                break;
            }
            done += static_cast<size_t>(n);
        }
        if (sink->remaining >= 0) {
            sink->remaining -= static_cast<int64_t>(done);
        }
        if (done < size && *sink->writeError == 0) {
            *sink->writeError = error;
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

int openUnnamed(const char* directory, unsigned mode) {
    if (gFaults->noUnnamedTemporary) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return systemAtomicFileCalls().openUnnamed(directory, mode);
}

FILE* openStream(int fd, char* buffer, std::size_t size, int* writeError) {
    auto sink = std::make_unique<LimitedSink>(
        LimitedSink{fd, gFaults->writeLimit, gFaults->failClose, writeError});
    FILE* stream = fopencookie(
        sink.get(), "wb",
        cookie_io_functions_t{nullptr, &LimitedSink::write, nullptr, &LimitedSink::close});
    if (stream == nullptr) {
        return nullptr;
    }
    sink.release();  // the stream's close frees it
    if (gFaults->unbuffered) {
        std::setvbuf(stream, nullptr, _IONBF, 0);
    } else {
        std::setvbuf(stream, buffer, _IOFBF, size);
    }
    return stream;
}

int syncFile(int fd) {
    return gFaults->failSync ? failed() : systemAtomicFileCalls().syncFile(fd);
}

int linkTarget(int fd, const char* path) {
    return gFaults->failRename ? failed() : systemAtomicFileCalls().linkTarget(fd, path);
}

int linkHidden(int fd, const char* path) {
    return gFaults->failHiddenLink ? failed() : systemAtomicFileCalls().linkHidden(fd, path);
}

int renameFile(const char* from, const char* to) {
    return gFaults->failRename ? failed() : systemAtomicFileCalls().renameFile(from, to);
}

int syncDirectory(int fd) {
    return gFaults->failDirectorySync ? failed() : systemAtomicFileCalls().syncDirectory(fd);
}

}  // namespace

void setAtomicFileFaults(const AtomicFileFaults* faults) {
    gFaults = faults;
    if (faults == nullptr) {
        resetAtomicFileCalls();
        return;
    }
    setAtomicFileCalls({
        .openUnnamed = openUnnamed,
        .openStream = openStream,
        .syncFile = syncFile,
        .linkTarget = linkTarget,
        .linkHidden = linkHidden,
        .renameFile = renameFile,
        .syncDirectory = syncDirectory,
    });
}
