// The cleanup of stale temporaries removes only what no process holds locked, and the temporaries
// of saves hold their lock whenever they have a name.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/atomic_file_calls_posix.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Far above any pid_max, so no process has it.
constexpr uint64_t kGonePid = 0x7fffffff;

// An exclusive lock on a file through an open file of its own, as a save holds it: a lock of
// flock belongs to the open file, so a cleanup that opens the file anew cannot take it, even in
// this process.
class LockHolder {
  public:
    explicit LockHolder(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    ~LockHolder() { release(); }

    bool locked() const { return locked_; }

    void release() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

  private:
    int fd_ = -1;
    bool locked_ = false;
};

TEST(TemporaryCleanup, RemovesOnlyWhatNoProcessHolds) {
    TempDir dir;
    const std::string target = dir / "x.ce3";
    enum class Kind { File, Link, Fifo };
    struct Case {
        const char* what;
        std::string name;
        Kind kind;
        bool locked;  // by an open file other than the cleanup's, until it is closed
        bool keptWhileLocked;
        bool keptAfterwards;  // after that file has been closed
    };
    const std::string running = fs::path(temporaryNameFor(target)).filename().string();
    const std::vector<Case> cases = {
        {"gone maker, locked", temporaryFileName(kGonePid, 1, 1), Kind::File, true, true, false},
        {"gone maker, unlocked", temporaryFileName(kGonePid, 1, 2), Kind::File, false, false,
         false},
        {"running maker, unlocked", running, Kind::File, false, true, true},
        {"gone maker, a symbolic link", temporaryFileName(kGonePid, 1, 3), Kind::Link, false, true,
         true},
        {"gone maker, a FIFO", temporaryFileName(kGonePid, 1, 4), Kind::Fifo, false, true, true},
    };
    writeBytes(dir / "linked.ce3", "reached through the link");
    std::vector<std::string> lockedPaths;
    for (const Case& c : cases) {
        const std::string path = dir / c.name;
        switch (c.kind) {
            case Kind::File:
                writeBytes(path, "partial");
                break;
            case Kind::Link:
                ASSERT_EQ(::symlink("linked.ce3", path.c_str()), 0);
                break;
            case Kind::Fifo:
                ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
                break;
        }
        if (c.locked) {
            lockedPaths.push_back(path);
        }
    }
    ASSERT_EQ(lockedPaths.size(), 1u);
    const auto expected = [&](bool whileLocked) {
        std::vector<std::string> names = {"linked.ce3"};
        for (const Case& c : cases) {
            if (whileLocked ? c.keptWhileLocked : c.keptAfterwards) {
                names.push_back(c.name);
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    };

    LockHolder holder(lockedPaths.front());
    ASSERT_TRUE(holder.locked());
    removeStaleTemporariesBeside(target);
    EXPECT_EQ(namesIn(dir.path()), expected(true));

    holder.release();
    removeStaleTemporariesBeside(target);
    EXPECT_EQ(namesIn(dir.path()), expected(false));
    EXPECT_EQ(readBytes(dir / "linked.ce3"), "reached through the link");
}

// What the rename of a save saw of the temporary it renames.
int gRenames = 0;
int gLockError = 0;  // the error of another open file's attempt to lock it; 0 when it could

int renameChecked(const char* from, const char* to) {
    ++gRenames;
    const int fd = ::open(from, O_RDONLY | O_CLOEXEC);
    gLockError = fd < 0 ? -1 : ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
    if (fd >= 0) {
        ::close(fd);
    }
    return systemAtomicFileCalls().renameFile(from, to);
}

int noUnnamedTemporary(const char*, unsigned) {
    errno = EOPNOTSUPP;
    return -1;
}

// A named temporary, and an unnamed one linked under a hidden name to replace a target, are locked
// when they are renamed over the target.
TEST(TemporaryCleanup, TemporaryIsLockedUnderItsName) {
    struct Case {
        bool named;
        bool existing;
    };
    const std::vector<Case> cases = {{true, false}, {true, true}, {false, true}};
    for (const Case& c : cases) {
        const std::string context =
            std::string(c.named ? "named" : "unnamed") + (c.existing ? " over a file" : " new");
        TempDir dir;
        const std::string target = dir / "x.ce3";
        if (c.existing) {
            writeBytes(target, "old");
        }
        AtomicFileCalls calls = systemAtomicFileCalls();
        calls.renameFile = renameChecked;
        if (c.named) {
            calls.openUnnamed = noUnnamedTemporary;
        }
        setAtomicFileCalls(calls);
        gRenames = 0;
        gLockError = 0;
        const bool written = writeFileAtomically(target, "new");
        resetAtomicFileCalls();
        EXPECT_TRUE(written) << context;
        EXPECT_EQ(gRenames, 1) << context;
        EXPECT_EQ(gLockError, EWOULDBLOCK) << context;
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"x.ce3"}) << context;
        EXPECT_EQ(readBytes(target), "new") << context;
    }
}

}  // namespace
