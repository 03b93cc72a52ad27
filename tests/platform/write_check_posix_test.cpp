// Foreseeing why a write would fail: for each case the prediction is what a real write then gives,
// and making it changes nothing on disk.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/directories.h"
#include "platform/write_check.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;
// Owners of what belongs to neither root nor the user who writes.
constexpr uid_t kOtherUser = 1234;
constexpr uid_t kThirdUser = 1235;
const std::string kSkip = "skip: ";

std::string errorText(int error) {
    return error == 0 ? "0" : std::to_string(error) + " (" + std::strerror(error) + ")";
}

std::string failureText(const WriteFailure& failure) {
    switch (failure.cause) {
        case WriteFailure::Cause::None:
            return "none";
        case WriteFailure::Cause::System:
            return "system " + errorText(failure.error);
        case WriteFailure::Cause::NotRegularFile:
            return "not a regular file";
        case WriteFailure::Cause::ProtectedLink:
            return "protected link";
        default:  // a cause that no prediction gives
            return "cause " + std::to_string(static_cast<int>(failure.cause));
    }
}

WriteFailure systemFailure(int error) {
    return {WriteFailure::Cause::System, error};
}

// Runs `body` in a child process; what it returned, or why it could not run. The child's files,
// mounts and user stay its own.
std::string inChild(const std::function<std::string()>& body) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return kSkip + "pipe: " + std::strerror(errno);
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string result = body();
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = write(fds[1], result.data() + done, result.size() - done);
            if (n <= 0) {
                _exit(1);
            }
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0) {
            result.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return "the child process failed: " + result;
    }
    return result;
}

// Every entry under root, root included, with its kind and mode, owner, size and modification
// time, one a line.
std::string snapshot(const std::string& root) {
    std::ostringstream out;
    const auto add = [&out](const std::string& path) {
        struct stat st {};
        out << path;
        if (lstat(path.c_str(), &st) == 0) {
            out << ' ' << st.st_mode << ' ' << st.st_uid << ' ' << st.st_size << ' '
                << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
        }
        out << '\n';
    };
    add(root);
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        add(it->path().string());
    }
    if (ec) {
        out << "cannot be listed: " << ec.message() << '\n';
    }
    return out.str();
}

// Gives the user what root made under root; what belongs to other users stays theirs.
std::string handOver(const std::string& root, uid_t user) {
    std::vector<std::string> paths = {root};
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        paths.push_back(entry.path().string());
    }
    for (const std::string& path : paths) {
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && st.st_uid == 0 &&
            lchown(path.c_str(), user, user) != 0) {
            return "cannot hand " + path + " over: " + std::strerror(errno);
        }
    }
    return "";
}

// A file system of its own at `at`, in a mount namespace of the calling process's own.
std::string mountScratch(const std::string& at) {
    if (unshare(CLONE_NEWNS) != 0) {
        return kSkip + "no mount namespace of its own: " + std::strerror(errno);
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mkdir(at.c_str(), 0755) != 0 ||
        mount("morvex-test", at.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0) {
        return kSkip + "cannot mount a file system: " + std::strerror(errno);
    }
    return "";
}

// The user of the writes from now on, for good.
std::string becomeUser(uid_t user) {
    if (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0) {
        return kSkip + "cannot become user " + std::to_string(user) + ": " + std::strerror(errno);
    }
    return "";
}

void makeFolder(const std::string& path, mode_t mode) {
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0) << path;
    ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

void makeFile(const std::string& path, mode_t mode) {
    writeBytes(path, "old\r\n");
    ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

// A folder under root whose path is 4080 bytes long: a file name fits after it, a temporary's
// hidden name does not.
std::string deepFolder(const std::string& root) {
    std::string path = root + "/";
    while (path.size() < 4080) {
        path += std::string(std::min<std::size_t>(200, 4080 - path.size()), 'd') + "/";
    }
    path.pop_back();
    return path;
}

struct WriteCase {
    std::string name;
    std::function<void(const std::string& root)> setUp;
    std::string path;  // below root
    bool makeFolders;
    WriteFailure expected;
    bool unprivileged = false;  // written by a user whom permissions stop (root writes as nobody)
    bool needsRoot = false;     // only root can make the case, or it is about root
    bool readOnly = false;      // root/ro is a file system mounted read-only once set up
    std::function<std::string(const std::string& root)> pathIn = {};  // instead of path
};

// What the prediction and then the real write give, four lines, and whether the prediction left
// everything as it was; or why the case cannot be run here.
std::string runCase(const WriteCase& c, const std::string& root) {
    const bool asNobody = c.unprivileged && geteuid() == 0;
    return inChild([&]() -> std::string {
        if (c.readOnly) {
            if (std::string why = mountScratch(root + "/ro"); !why.empty()) {
                return why;
            }
        }
        if (c.setUp) {
            // An assertion that fails here is the child's: it is told by what the case returns.
            const testing::TestResult& own =
                *testing::UnitTest::GetInstance()->current_test_info()->result();
            const int parts = own.total_part_count();
            c.setUp(root);
            if (own.total_part_count() != parts) {
                return "the set-up failed";
            }
        }
        if (asNobody) {
            if (std::string why = handOver(root, kNobody); !why.empty()) {
                return why;
            }
        }
        if (c.readOnly && mount(nullptr, (root + "/ro").c_str(), nullptr,
                                MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
            return kSkip + "cannot mount read-only: " + std::strerror(errno);
        }
        const std::string path = c.pathIn ? c.pathIn(root) : root + "/" + c.path;
        const auto asTheWriter = [&](const std::function<std::string()>& step) {
            return inChild([&]() -> std::string {
                if (asNobody) {
                    if (std::string why = becomeUser(kNobody); !why.empty()) {
                        return why;
                    }
                    if (access(root.c_str(), X_OK) != 0) {
                        return kSkip + "user " + std::to_string(kNobody) + " cannot enter " + root;
                    }
                }
                return step();
            });
        };
        const std::string before = snapshot(root);
        const std::string predicted = asTheWriter([&] {
            const int folders = c.makeFolders ? predictParentDirectories(path) : 0;
            return failureText(predictWriteFailure(path, c.makeFolders)) + "\nfolders " +
                   errorText(folders) + "\n";
        });
        if (predicted.starts_with(kSkip)) {
            return predicted;
        }
        const bool unchanged = snapshot(root) == before;
        const std::string written = asTheWriter([&] {
            WriteFailure failure;
            int folders = 0;
            if (c.makeFolders && !makeParentDirectories(path, FolderAccess::Shared)) {
                folders = errno;
                failure = systemFailure(folders);
            } else {
                writeFileAtomically(path, "new\r\n", &failure);
            }
            return failureText(failure) + "\nfolders " + errorText(folders) + "\n";
        });
        return predicted + written + (unchanged ? "unchanged" : "changed") + "\n";
    });
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(WriteCheck, PredictsWhatTheRealWriteGives) {
    const WriteFailure none;
    const std::string longName(300, 'n');
    std::string tooLongPath = "missing";
    while (tooLongPath.size() < PATH_MAX) {
        tooLongPath += "/" + std::string(200, 'd');
    }
    std::string deepNewFolders = "new";
    for (int i = 0; i < 21; ++i) {
        deepNewFolders += "/" + std::string(200, 'd');
    }
    const auto lockedFolder = [](const std::string& r) { makeFolder(r + "/locked", 0555); };
    const auto plainFile = [](const std::string& r) { makeFile(r + "/plain", 0644); };
    // A sticky, world-writable folder of another user's, as /tmp is.
    const auto sharedFolder = [](const std::string& r) {
        makeFolder(r + "/shared", 01777);
        ASSERT_EQ(chown((r + "/shared").c_str(), kOtherUser, kOtherUser), 0);
    };

    const std::vector<WriteCase> cases = {
        {"new file", {}, "x.ce3", false, none},
        {"existing file", [](const std::string& r) { makeFile(r + "/x.ce3", 0644); }, "x.ce3",
         false, none},
        {"folders to create", {}, "new/sub/x.ce3", true, none},
        {"missing folder", {}, "missing/x.ce3", false, systemFailure(ENOENT)},
        {"empty path",
         {},
         "",
         false,
         systemFailure(ENOENT),
         false,
         false,
         false,
         [](const std::string&) { return std::string(); }},
        // Permissions.
        {"folder not writable", lockedFolder, "locked/x.ce3", false, systemFailure(EACCES), true},
        {"folder not searchable", [](const std::string& r) { makeFolder(r + "/closed", 0666); },
         "closed/x.ce3", false, systemFailure(EACCES), true},
        {"file not writable", [](const std::string& r) { makeFile(r + "/x.ce3", 0444); }, "x.ce3",
         false, systemFailure(EACCES), true},
        {"writable file in a folder not writable",
         [](const std::string& r) {
             makeFolder(r + "/locked", 0755);
             makeFile(r + "/locked/x.ce3", 0666);
             chmod((r + "/locked").c_str(), 0555);
         },
         "locked/x.ce3", false, systemFailure(EACCES), true},
        {"new folder in a folder not writable", lockedFolder, "locked/new/x.ce3", true,
         systemFailure(EACCES), true},
        {"new folder in a folder not searchable",
         [](const std::string& r) { makeFolder(r + "/closed", 0666); }, "closed/new/x.ce3", true,
         systemFailure(EACCES), true},
        {"folder not writable, as root", lockedFolder, "locked/x.ce3", false, none, false, true},
        {"another user's file in a sticky folder",
         [&](const std::string& r) {
             sharedFolder(r);
             makeFile(r + "/shared/x.ce3", 0666);
             ASSERT_EQ(chown((r + "/shared/x.ce3").c_str(), kOtherUser, kOtherUser), 0);
         },
         "shared/x.ce3", false, systemFailure(EPERM), true, true},
        {"protected link",
         [&](const std::string& r) {
             sharedFolder(r);
             makeFile(r + "/victim", 0666);
             ASSERT_EQ(symlink((r + "/victim").c_str(), (r + "/shared/x.ce3").c_str()), 0);
             ASSERT_EQ(lchown((r + "/shared/x.ce3").c_str(), kThirdUser, kThirdUser), 0);
         },
         "shared/x.ce3",
         false,
         {WriteFailure::Cause::ProtectedLink, 0},
         true,
         true},
        // What stands where the file or a folder should be.
        {"folder as target", [](const std::string& r) { makeFolder(r + "/x.ce3", 0755); }, "x.ce3",
         false, systemFailure(EISDIR)},
        {"pipe as target",
         [](const std::string& r) { ASSERT_EQ(mkfifo((r + "/x.ce3").c_str(), 0666), 0); },
         "x.ce3",
         false,
         {WriteFailure::Cause::NotRegularFile, 0}},
        {"file as folder", plainFile, "plain/x.ce3", true, systemFailure(ENOTDIR)},
        {"file in the way of a new folder", plainFile, "plain/sub/x.ce3", true,
         systemFailure(ENOTDIR)},
        {"link that leads nowhere as folder",
         [](const std::string& r) { ASSERT_EQ(symlink("nowhere", (r + "/gone").c_str()), 0); },
         "gone/sub/x.ce3", true, systemFailure(ENOENT)},
        {"link into a missing folder",
         [](const std::string& r) {
             ASSERT_EQ(symlink("missing/x.ce3", (r + "/x.ce3").c_str()), 0);
         },
         "x.ce3", false, systemFailure(ENOENT)},
        {"link to itself",
         [](const std::string& r) { ASSERT_EQ(symlink("x.ce3", (r + "/x.ce3").c_str()), 0); },
         "x.ce3", false, systemFailure(ELOOP)},
        // Names and paths too long.
        {"name too long", {}, longName, false, systemFailure(ENAMETOOLONG)},
        {"name too long in a new folder", {}, "new/" + longName, true, systemFailure(ENAMETOOLONG)},
        {"new folder's name too long",
         {},
         "new/" + longName + "/x.ce3",
         true,
         systemFailure(ENAMETOOLONG)},
        {"path too long", {}, tooLongPath, false, systemFailure(ENAMETOOLONG)},
        {"new folders beyond the longest path",
         {},
         deepNewFolders + "/x.ce3",
         true,
         systemFailure(ENAMETOOLONG)},
        {"existing file whose hidden temporary's path is too long",
         [](const std::string& r) {
             fs::create_directories(deepFolder(r));
             makeFile(deepFolder(r) + "/x.ce3", 0644);
         },
         "", false, systemFailure(ENAMETOOLONG), false, false, false,
         [](const std::string& r) { return deepFolder(r) + "/x.ce3"; }},
        {"new file where a hidden temporary's path would be too long",
         [](const std::string& r) { fs::create_directories(deepFolder(r)); }, "", false, none,
         false, false, false, [](const std::string& r) { return deepFolder(r) + "/x.ce3"; }},
        // A read-only file system: refused before the permissions are looked at.
        {"read-only file system", {}, "ro/x.ce3", false, systemFailure(EROFS), false, false, true},
        {"existing file on a read-only file system",
         [](const std::string& r) { makeFile(r + "/ro/x.ce3", 0666); }, "ro/x.ce3", false,
         systemFailure(EROFS), false, false, true},
        {"new folder on a read-only file system",
         {},
         "ro/new/x.ce3",
         true,
         systemFailure(EROFS),
         false,
         false,
         true},
        {"folder not writable on a read-only file system",
         [](const std::string& r) { makeFolder(r + "/ro/locked", 0555); }, "ro/locked/x.ce3", false,
         systemFailure(EROFS), true, false, true},
    };

    std::string skipped;
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) {
            skipped += c.name + ": only root can set it up; ";
            continue;
        }
        TempDir dir;
        const std::string result = runCase(c, dir.path());
        if (result.starts_with(kSkip)) {
            skipped += c.name + ": " + result.substr(kSkip.size()) + "; ";
            continue;
        }
        const std::vector<std::string> got = lines(result);
        ASSERT_EQ(got.size(), 5u) << result;
        EXPECT_EQ(got[0], failureText(c.expected)) << "predicted";
        EXPECT_EQ(got[2], failureText(c.expected)) << "written";
        EXPECT_EQ(got[1], got[3]) << "folders predicted and made";
        EXPECT_EQ(got[4], "unchanged");
        // Open every folder again, so that the test's folder can be removed by any user.
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path(), ec)) {
            if (entry.is_directory(ec) && !entry.is_symlink(ec)) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
            }
        }
    }
    if (!skipped.empty()) {
        GTEST_SKIP() << "not run: " << skipped;
    }
}

}  // namespace
