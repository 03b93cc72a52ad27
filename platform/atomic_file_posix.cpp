#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "platform/atomic_file_calls.h"

namespace {

constexpr int kCreateAttempts = 100;

uint64_t randomSuffix() {
    uint64_t v = 0;
    if (getrandom(&v, sizeof v, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof v)) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        v = static_cast<uint64_t>(now) ^ (static_cast<uint64_t>(getpid()) << 32);
    }
    return v;
}

std::string hex16(uint64_t v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, v >>= 4) {
        out[static_cast<std::size_t>(i)] = kDigits[v & 0xF];
    }
    return out;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

constexpr int kMaxLinkHops = 40;  // the kernel's own limit on following symbolic links

// The file that opening `path` for writing would write: symbolic links are followed, also a last
// one that names a file not there yet, which is then created. Empty when the links loop or
// cannot be read.
std::string resolveLinks(std::string path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        char next[PATH_MAX];
        const ssize_t n = readlink(path.c_str(), next, sizeof next);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof next)) {
            return {};
        }
        const std::string dest(next, static_cast<std::size_t>(n));
        path = dest[0] == '/' ? dest : directoryOf(path) + "/" + dest;
    }
    return {};
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open() {
    if (stream_ != nullptr || target_.empty()) {
        return false;
    }
    target_ = resolveLinks(target_);
    if (target_.empty()) {
        return false;
    }
    // An existing target is replaced only when it is a regular file that the process may write:
    // a directory, FIFO, device or socket is not swapped for a file, and a file that opening for
    // writing would refuse is left alone.
    struct stat st {};
    const bool exists = stat(target_.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        return false;
    }
    if (exists &&
        (!S_ISREG(st.st_mode) || faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    directory_ = directoryOf(target_);

    // The kernel applies the umask (and a default ACL) to 0666, as for a file fopen creates.
    for (int attempt = 0; attempt < kCreateAttempts && fd_ < 0; ++attempt) {
        tempPath_ = directory_ + "/.morvex-" + hex16(randomSuffix()) + ".tmp";
        fd_ = ::open(tempPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        tempPath_.clear();
        return false;
    }

    if (exists && fchmod(fd_, st.st_mode & 07777) != 0) {
        discard();
        return false;
    }

    // A large buffer: a big drawing then takes few write calls.
    buffer_.resize(kStreamBufferBytes);
    stream_ = atomic_file_calls::openStream(fd_, buffer_.data(), buffer_.size());
    if (stream_ == nullptr) {
        discard();
        return false;
    }
    return true;
}

bool AtomicFile::commit() {
    if (stream_ == nullptr) {
        return false;
    }
    if (ferror(stream_) != 0 || fflush(stream_) != 0 || ferror(stream_) != 0) {
        discard();
        return false;
    }
    if (atomic_file_calls::syncFile(fd_) != 0) {
        discard();
        return false;
    }
    FILE* stream = std::exchange(stream_, nullptr);
    fd_ = -1;  // closed with its stream
    if (fclose(stream) != 0) {
        discard();
        return false;
    }
    if (atomic_file_calls::renameFile(tempPath_.c_str(), target_.c_str()) != 0) {
        discard();
        return false;
    }
    tempPath_.clear();
    return syncDirectory();
}

bool AtomicFile::syncDirectory() const {
    const int dirFd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        // A directory that may be written but not read cannot be synced; the rename stands.
        return errno == EACCES;
    }
    const int r = atomic_file_calls::syncDirectory(dirFd);
    const int err = errno;
    ::close(dirFd);
    // File systems without directory sync report EINVAL.
    return r == 0 || err == EINVAL || err == ENOTSUP;
}

void AtomicFile::discard() {
    if (stream_ != nullptr) {
        fclose(std::exchange(stream_, nullptr));  // closes fd_ too
        fd_ = -1;
    } else if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    if (!tempPath_.empty()) {
        unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}
