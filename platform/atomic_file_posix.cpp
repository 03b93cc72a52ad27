#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#include "platform/atomic_file_calls_posix.h"
#include "platform/interruption.h"
#include "platform/interruption_posix.h"
#include "platform/symbolic_links_posix.h"
#include "platform/uninitialised_array.h"

namespace {

constexpr int kCreateAttempts = 100;
constexpr unsigned kNewFileMode = 0666;  // the kernel takes off the umask, as for fopen
constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 16;

uint64_t randomSuffix() {
    uint64_t v = 0;
    if (getrandom(&v, sizeof v, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof v)) {
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        v = static_cast<uint64_t>(now) ^ (static_cast<uint64_t>(getpid()) << 32);
    }
    return v;
}

// The start time of a process in clock ticks after boot (field 22 of /proc/PID/stat), or nothing
// when it does not run.
std::optional<uint64_t> processStart(uint64_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat)) {
        return std::nullopt;
    }
    // The command name in parentheses may hold blanks: the fields counted start after it.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int i = 3; i < 22 && fields >> field; ++i) {
    }
    uint64_t start = 0;
    return fields >> start ? std::optional<uint64_t>(start) : std::nullopt;
}

// Whether the process that made a temporary, as its name tells, still runs here. Across PID
// namespaces, or without /proc, its id names another process or none: only a lock proves a
// temporary in use, and this serves as a second guard beside it.
bool makerStillRuns(const TemporaryOwner& owner) {
    const std::optional<uint64_t> start = processStart(owner.pid);
    return start && *start == owner.start;
}

// Takes the exclusive lock that marks a temporary as in use, waiting for a cleanup in another
// process that may hold it for an instant. An flock lock: it belongs to the open file, shared by
// its duplicates, and goes when the last of them is closed, however the process ends; unlike an
// fcntl write lock, a cleanup can take it on a file that it may only open for reading. Where the
// file system refuses locks, the name guards the file alone.
void lockTemporary(int fd) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the temporary `name` in the directory `dirFd` when it is stale: a regular file of this
// user that no process holds locked, whose maker does not run as its name says. The file is
// opened without following links or waiting, locked without waiting, and removed only while the
// name still names the locked file.
void removeIfStale(int dirFd, const std::string& name) {
    const std::optional<TemporaryOwner> owner = temporaryOwner(name);
    if (!owner || makerStillRuns(*owner)) {
        return;
    }
    struct stat named {};
    if (::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode) || named.st_uid != ::geteuid()) {
        return;
    }
    // For writing where the mode allows it: NFS emulates flock with a byte-range lock, which is
    // exclusive only on a descriptor open for writing. Elsewhere reading does.
    constexpr int kOpen = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::openat(dirFd, name.c_str(), O_WRONLY | kOpen);
    if (fd < 0 && errno == EACCES) {
        fd = ::openat(dirFd, name.c_str(), O_RDONLY | kOpen);
    }
    if (fd < 0) {
        return;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && sameFile(opened, named) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(opened, named)) {
        ::unlinkat(dirFd, name.c_str(), 0);
    }
    ::close(fd);
}

// Syncs a directory after a rename into it. One that may be written but not read cannot be
// synced, and file systems without directory sync report EINVAL: the rename stands then.
WriteFailure syncFolderOf(const std::string& directory) {
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return errno == EACCES ? WriteFailure{} : WriteFailure::system(errno);
    }
    const int r = atomicFileCalls().syncDirectory(dirFd);
    const int err = errno;
    ::close(dirFd);
    return r == 0 || err == EINVAL || err == ENOTSUP ? WriteFailure{} : WriteFailure::system(err);
}

}  // namespace

struct AtomicFile::State {
    std::string target;
    std::string directory;
    bool targetExists = false;
    struct stat targetStat {};
    std::string tempPath;  // the named temporary; empty for one without a name
    int tempHandle = -1;   // the named temporary's handle for removal on interruption
    int fd = -1;           // the temporary; the stream writes through a duplicate of it
    FILE* stream = nullptr;
    int writeError = 0;  // the first error of a write through the stream
    WriteFailure failure;
    // The stream's buffer, left uninitialised; it outlives the stream.
    UninitialisedArray<char> buffer;

    // Records the failure, removes the temporary; false.
    bool fail(WriteFailure why) {
        failure = why;
        discard();
        return false;
    }
    bool fail(int error) { return fail(WriteFailure::system(error)); }

    bool openTemporary();
    bool holdsItsName() const;
    bool keepOwnerAndMode();
    bool publish();
    bool replaceTarget();
    bool syncDirectory();
    void forgetTemporary();
    void discard();
};

// Without a name where the file system allows it: such a file vanishes with the process however
// it ends. Elsewhere a hidden named file, remembered for removal on interruption. Either is
// locked from its creation until it is renamed or removed, so that the cleanup of another process
// never takes it for stale: an unnamed one gets a hidden name for an instant in replaceTarget.
bool AtomicFile::State::openTemporary() {
    fd = atomicFileCalls().openUnnamed(directory.c_str(), kNewFileMode);
    if (fd >= 0) {
        lockTemporary(fd);
        return true;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return fail(errno);
    }
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        int error = 0;
        {
            const InterruptionsHeld held;
            const TemporaryCreation creating;
            tempPath = temporaryNameFor(target);
            // Remembered before it exists, so that no interruption finds it unknown.
            tempHandle = rememberTemporaryFile(tempPath);
            fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                        static_cast<mode_t>(kNewFileMode));
            error = errno;
        }
        if (fd >= 0) {
            if (holdsItsName()) {
                return true;
            }
            // Removed before it was locked; the next attempt makes another.
            ::close(std::exchange(fd, -1));
            forgetTemporary();
            continue;
        }
        forgetTemporary();
        if (error != EEXIST) {
            return fail(error);
        }
    }
    return fail(EEXIST);
}

// Locks the new named temporary, then checks that its name still names it: between its creation
// and the lock, the cleanup of a process that cannot tell its maker runs may have removed it.
bool AtomicFile::State::holdsItsName() const {
    lockTemporary(fd);
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(tempPath.c_str(), &named) == 0 &&
           sameFile(opened, named);
}

// The owner and group first: changing them may clear the set-user-ID and set-group-ID bits,
// which the mode then sets again. A user who may not give the file away keeps it, and takes the
// target's group where that is one of the user's groups.
bool AtomicFile::State::keepOwnerAndMode() {
    // What the temporary was made with, mostly the target's already (a file this user made):
    // then nothing is changed.
    struct stat made {};
    const bool known = ::fstat(fd, &made) == 0;
    const bool sameOwner =
        known && made.st_uid == targetStat.st_uid && made.st_gid == targetStat.st_gid;
    const auto refused = [] { return errno == EPERM || errno == EINVAL; };
    if (!sameOwner && ::fchown(fd, targetStat.st_uid, targetStat.st_gid) != 0) {
        if (!refused()) {
            return fail(errno);
        }
        if (::fchown(fd, static_cast<uid_t>(-1), targetStat.st_gid) != 0 && !refused()) {
            return fail(errno);
        }
    }
    const bool sameMode = sameOwner && (made.st_mode & 07777) == (targetStat.st_mode & 07777);
    if (!sameMode && ::fchmod(fd, targetStat.st_mode & 07777) != 0) {
        return fail(errno);
    }
    return true;
}

bool AtomicFile::State::publish() {
    if (!tempPath.empty()) {
        if (atomicFileCalls().renameFile(tempPath.c_str(), target.c_str()) != 0) {
            return fail(errno);
        }
        forgetTemporary();
    } else if (targetExists) {
        if (!replaceTarget()) {
            return false;
        }
    } else if (atomicFileCalls().linkTarget(fd, target.c_str()) != 0) {
        if (errno != EEXIST) {
            return fail(errno);
        }
        // A file appeared under the target's name meanwhile: it is replaced like any other.
        if (!replaceTarget()) {
            return false;
        }
    }
    ::close(std::exchange(fd, -1));
    return true;
}

// Links the temporary under a hidden name and renames that over the target. Interruptions are
// held back in between, so only SIGKILL can leave the hidden name behind, in a window of
// microseconds; the name is remembered too, for an interruption that another thread receives. The
// temporary is locked already, so the name appears locked.
bool AtomicFile::State::replaceTarget() {
    const InterruptionsHeld held;
    const TemporaryCreation creating;
    for (int attempt = 0;; ++attempt) {
        tempPath = temporaryNameFor(target);
        tempHandle = rememberTemporaryFile(tempPath);
        if (atomicFileCalls().linkHidden(fd, tempPath.c_str()) == 0) {
            break;
        }
        const int error = errno;
        forgetTemporary();
        if (error != EEXIST || attempt + 1 == kCreateAttempts) {
            return fail(error);
        }
    }
    if (atomicFileCalls().renameFile(tempPath.c_str(), target.c_str()) != 0) {
        return fail(errno);  // removes the hidden name
    }
    forgetTemporary();
    return true;
}

bool AtomicFile::State::syncDirectory() {
    const WriteFailure synced = syncFolderOf(directory);
    return synced.cause == WriteFailure::Cause::None || fail(synced);
}

void AtomicFile::State::forgetTemporary() {
    forgetTemporaryFile(std::exchange(tempHandle, -1));
    tempPath.clear();
}

void AtomicFile::State::discard() {
    if (stream != nullptr) {
        std::fclose(std::exchange(stream, nullptr));  // closes the stream's duplicate
    }
    // The name goes first, so that the file stays locked as long as it has one.
    if (!tempPath.empty()) {
        ::unlink(tempPath.c_str());
        forgetTemporary();
    }
    if (fd >= 0) {
        ::close(std::exchange(fd, -1));  // a temporary without a name is gone with it
    }
}

AtomicFile::AtomicFile(std::string target) : state_(std::make_unique<State>()) {
    state_->target = std::move(target);
}

AtomicFile::~AtomicFile() {
    state_->discard();
}

FILE* AtomicFile::stream() const {
    return state_->stream;
}

const WriteFailure& AtomicFile::failure() const {
    return state_->failure;
}

bool AtomicFile::open() {
    State& s = *state_;
    if (s.stream != nullptr || s.fd >= 0) {
        return false;
    }
    if (s.target.empty()) {
        return s.fail(ENOENT);
    }
    Resolved resolved = resolveLinks(s.target);
    if (resolved.path.empty()) {
        return s.fail(resolved.failure);
    }
    s.target = std::move(resolved.path);
    // An existing target is replaced only when it is a regular file that the process may write:
    // a directory, FIFO, device or socket is not swapped for a file, and a file that opening for
    // writing would refuse is left alone.
    s.targetExists = resolved.notFound == 0;
    s.targetStat = resolved.found;
    if (!s.targetExists && resolved.notFound != ENOENT) {
        return s.fail(resolved.notFound);
    }
    if (s.targetExists) {
        if (S_ISDIR(s.targetStat.st_mode)) {
            return s.fail(EISDIR);
        }
        if (!S_ISREG(s.targetStat.st_mode)) {
            return s.fail({WriteFailure::Cause::NotRegularFile, 0});
        }
        if (::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) {
            return s.fail(errno);
        }
    }
    s.directory = directoryOf(s.target);
    if (firstVisitOf(s.directory)) {
        removeStaleTemporariesBeside(s.target);
    }
    if (!s.openTemporary() || (s.targetExists && !s.keepOwnerAndMode())) {
        return false;
    }
    // The stream gets a duplicate: a temporary without a name must stay open after the stream is
    // closed, to be linked. A large buffer, so that a big drawing takes few write calls.
    const int streamFd = ::fcntl(s.fd, F_DUPFD_CLOEXEC, 0);
    if (streamFd < 0) {
        return s.fail(errno);
    }
    s.buffer = makeUninitialisedArray<char>(kStreamBufferBytes);
    s.stream =
        atomicFileCalls().openStream(streamFd, s.buffer.get(), kStreamBufferBytes, &s.writeError);
    if (s.stream == nullptr) {
        const int error = errno;
        ::close(streamFd);
        return s.fail(error);
    }
    return true;
}

bool AtomicFile::commit(const std::function<bool()>& mayReplace) {
    State& s = *state_;
    if (s.stream == nullptr) {
        return false;
    }
    if (std::fflush(s.stream) != 0 || std::ferror(s.stream) != 0) {
        return s.fail(s.writeError != 0 ? s.writeError : errno);
    }
    if (atomicFileCalls().syncFile(s.fd) != 0) {
        return s.fail(errno);
    }
    if (std::fclose(std::exchange(s.stream, nullptr)) != 0) {
        return s.fail(errno);
    }
    if (mayReplace && !mayReplace()) {
        return s.fail({WriteFailure::Cause::NotReplaced, 0});
    }
    if (!s.publish()) {
        return false;
    }
    if (FolderSyncs::Deferral* const deferral = FolderSyncs::Deferral::current()) {
        deferral->renamedInto(s.directory);
        return true;
    }
    return s.syncDirectory();
}

bool FolderSyncs::leavesSyncsPending() {
    return true;
}

WriteFailure FolderSyncs::syncFolder(const std::string& folder) {
    return syncFolderOf(folder);
}

std::string temporaryNameFor(const std::string& target) {
    static const auto pid = static_cast<uint64_t>(::getpid());
    static const uint64_t start = processStart(pid).value_or(0);
    return directoryOf(target) + "/" + temporaryFileName(pid, start, randomSuffix());
}

void removeStaleTemporariesBeside(const std::string& target) {
    const int dirFd = ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        return;
    }
    DIR* dir = ::fdopendir(dirFd);
    if (dir == nullptr) {
        ::close(dirFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        removeIfStale(dirFd, entry->d_name);
    }
    ::closedir(dir);
}
