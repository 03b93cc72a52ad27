// Two runs that save into one folder from different PID namespaces (a container beside its host,
// say) see each other's process ids as meaningless: the second's cleanup of stale temporaries
// must still leave alone the named temporary of a save that the first has under way.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ce2_builder/ce2_builder.h"
#include "platform/atomic_file.h"
#include "run_process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace ce2build;

// The path of `program` in $PATH, or an empty string.
std::string inPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const std::string candidate = folder + "/" + program;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return "";
}

// The command that runs a program in a PID namespace of its own with its own /proc, where a user
// who is not root gets the user namespace this takes.
std::vector<std::string> inNewPidNamespace(const std::string& unshare) {
    std::vector<std::string> command = {unshare};
    if (::geteuid() != 0) {
        command.insert(command.end(), {"--user", "--map-root-user"});
    }
    command.insert(command.end(), {"--pid", "--fork", "--mount-proc"});
    return command;
}

std::vector<std::string> temporariesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (temporaryOwner(name)) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(PidNamespaceSave, SecondRunKeepsTheFirstRunsLiveTemporary) {
    const std::string unshare = inPath("unshare");
    if (unshare.empty()) {
        GTEST_SKIP() << "no unshare program to make a PID namespace with";
    }
    std::vector<std::string> probe = inNewPidNamespace(unshare);
    probe.push_back("/bin/true");
    const ProcessResult allowed = runProcess({probe});
    if (allowed.exitCode != 0) {
        GTEST_SKIP() << "PID namespaces cannot be made here: " << allowed.err;
    }

    // Either run may be the one in the new namespace: each sees the other's process id as one
    // that does not run, or runs as something else.
    for (const bool firstInNamespace : {true, false}) {
        SCOPED_TRACE(firstInNamespace ? "first run in a new namespace"
                                      : "second run in a new namespace");
        TempDir dir;
        const std::string drawing = line(kWire, 0, 10, 10, 50, 10) + line(kWire, 0, 50, 10, 50, 60);
        writeBytes(dir / "first.ce2", drawing);
        writeBytes(dir / "second.ce2", drawing);

        std::vector<std::string> first =
            firstInNamespace ? inNewPidNamespace(unshare) : std::vector<std::string>{};
        first.insert(first.end(), {MORVEX_HELD_SAVES, "--named", "-q", "--hold", "rename", "1",
                                   std::to_string(HeldRun::kReadyFd),
                                   std::to_string(HeldRun::kGoFd), "first.ce2"});
        HeldRun held(first, dir.path());
        ASSERT_NE(held.waitUntilHeld(), 0) << "the first run did not reach its rename";
        const std::vector<std::string> live = temporariesIn(dir.path());
        ASSERT_EQ(live.size(), 1u);

        // A temporary that nothing holds, of a process that does not run: the second run's
        // cleanup removes it, which shows that the cleanup ran.
        const std::string stale = dir / ".morvex-7ffffffe-1-0123456789abcdef.tmp";
        writeBytes(stale, "left by kill -9");
        std::vector<std::string> second =
            firstInNamespace ? std::vector<std::string>{} : inNewPidNamespace(unshare);
        second.insert(second.end(), {MORVEX_HELD_SAVES, "--named", "-q", "second.ce2"});
        const ProcessResult r = runProcess({second, dir.path()});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_FALSE(fs::exists(stale));
        EXPECT_EQ(temporariesIn(dir.path()), live);

        EXPECT_EQ(held.finish().exitCode, 0);
        EXPECT_TRUE(temporariesIn(dir.path()).empty());
        const std::string written = readBytes(dir / "second.ce3");
        EXPECT_NE(written, "");
        EXPECT_EQ(readBytes(dir / "first.ce3"), written);
    }
}

}  // namespace
