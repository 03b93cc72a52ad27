#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion.h"
#include "platform/atomic_file_faults.h"
#include "support/temp_dir.h"

// Conversions that meet what POSIX systems have: links, FIFOs, permissions, and the failing writes
// of the save's fault seam.
namespace {

namespace fs = std::filesystem;

// Each hostile source or target is reported and the batch goes on with the good file that follows
// it; every old target keeps its bytes and no temporary file is left behind.
TEST_F(Convert, HostileFilesDoNotStopTheBatch) {
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string old = "old target\r\n";
    const auto oldTarget = [&](const std::string& name) { writeBytes(dir / name, old); };
    const auto symlinkTo = [&](const std::string& to, const std::string& name) {
        fs::create_symlink(to, dir / name);
    };

    source("already.ce3", twoWires);
    source("linked.ce2", twoWires);
    ASSERT_EQ(link((dir / "linked.ce2").c_str(), (dir / "linked.ce3").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.ce2").c_str(), 0600), 0);
    oldTarget("pipe.ce3");
    fs::create_directory(dir / "folder.ce2");
    oldTarget("folder.ce3");
    source("gone.ce2", twoWires);
    oldTarget("gone.ce3");
    symlinkTo("loop.other", "loop.ce2");
    symlinkTo("loop.ce2", "loop.other");
    oldTarget("loop.ce3");
    symlinkTo("nowhere.ce2", "dangling.ce2");
    oldTarget("dangling.ce3");
    // Targets that cannot be written: a directory, a link into a regular file, a link loop.
    source("blocked.ce2", twoWires);
    fs::create_directory(dir / "blocked.ce3");
    source("inside.ce2", twoWires);
    oldTarget("plain");
    symlinkTo("plain/inside.ce3", "inside.ce3");
    source("cycle.ce2", twoWires);
    symlinkTo("cycle.ce3", "cycle.ce3");
    // A save whose writes fail.
    source("failing.ce2", twoWires);
    oldTarget("failing.ce3");
    AtomicFileFaults failingWrites;
    failingWrites.writeLimit = 10;

    struct Case {
        std::string name;
        FileOutcome outcome;
        std::string description;
        std::function<void()> before = {};  // runs just before the file is converted
    };
    const std::string enoent = "cannot be opened: No such file or directory";
    const auto cannotWrite = [&](const std::string& name) {
        return dir / name + " cannot be written";
    };
    const std::vector<Case> cases = {
        {"already.ce3", FileOutcome::WouldOverwriteSource, "would overwrite its source"},
        {"linked.ce2", FileOutcome::WouldOverwriteSource, "would overwrite its source"},
        {"pipe.ce2", FileOutcome::NotRegularFile, "not a regular file"},
        {"folder.ce2", FileOutcome::NotRegularFile, "not a regular file"},
        {"missing.ce2", FileOutcome::CannotOpen, enoent},
        {"gone.ce2", FileOutcome::CannotOpen, enoent, [&] { fs::remove(dir / "gone.ce2"); }},
        {"loop.ce2", FileOutcome::CannotOpen,
         "cannot be opened: Too many levels of symbolic links"},
        {"dangling.ce2", FileOutcome::CannotOpen, enoent},
        {"blocked.ce2", FileOutcome::CannotWrite, cannotWrite("blocked.ce3")},
        {"inside.ce2", FileOutcome::CannotWrite, cannotWrite("inside.ce3")},
        {"cycle.ce2", FileOutcome::CannotWrite, cannotWrite("cycle.ce3")},
        {"failing.ce2", FileOutcome::CannotWrite, cannotWrite("failing.ce3"),
         [&] { setAtomicFileFaults(&failingWrites); }},
    };

    // Case i is source 2i, a good file source 2i + 1.
    std::vector<std::string> sources;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        sources.push_back(dir / cases[i].name);
        sources.push_back(source("good" + std::to_string(i) + ".ce2", twoWires));
    }
    const auto beforeFile = [&](std::size_t index) {
        setAtomicFileFaults(nullptr);
        if (index % 2 == 0 && index < sources.size() && cases[index / 2].before) {
            cases[index / 2].before();
        }
    };
    beforeFile(0);
    const std::vector<FileReport> reports =
        convertFiles(sources, options, [&](std::size_t done, std::size_t) { beforeFile(done); });
    setAtomicFileFaults(nullptr);

    ASSERT_EQ(reports.size(), sources.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const FileReport& r = reports[2 * i];
        EXPECT_EQ(r.outcome, cases[i].outcome) << cases[i].name;
        EXPECT_EQ(describeOutcome(r), cases[i].description) << cases[i].name;
        EXPECT_EQ(reports[2 * i + 1].outcome, FileOutcome::Converted) << cases[i].name;
    }
    EXPECT_EQ(readBytes(dir / "already.ce3"), twoWires);
    EXPECT_EQ(readBytes(dir / "linked.ce3"), twoWires);
    for (const char* name : {"pipe.ce3", "folder.ce3", "gone.ce3", "loop.ce3", "dangling.ce3",
                             "plain", "failing.ce3"}) {
        EXPECT_EQ(readBytes(dir / name), old) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "missing.ce3"));
    EXPECT_TRUE(fs::is_directory(dir / "blocked.ce3"));
    EXPECT_TRUE(fs::is_symlink(dir / "cycle.ce3"));
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_NE(entry.path().filename().string().rfind(".morvex-", 0), 0u) << entry.path();
    }
}

TEST_F(Convert, UnreadableSource) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    const std::string path = source("locked.ce2", wire(10, 10, 50, 10) + wire(5, 5, 5, 9));
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const FileReport r = convertOne(path);
    EXPECT_EQ(r.outcome, FileOutcome::CannotOpen);
    EXPECT_EQ(r.openError, EACCES);
    EXPECT_FALSE(fs::exists(dir / "locked.ce3"));
}

}  // namespace
