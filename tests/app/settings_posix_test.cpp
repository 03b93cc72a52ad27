#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/profile_fixture.h"
#include "support/temp_dir.h"

// The settings file where POSIX systems keep it, and what they add: modes and FIFOs.
namespace {

namespace fs = std::filesystem;

TEST(SettingsPath, LookupOrder) {
    TempDir t;
    for (const char* dir : {"cwd", "cwd-empty", "exe", "exe-empty", "xdg", "home"}) {
        fs::create_directory(t / dir);
    }
    writeBytes(t / "cwd/MORVEX.INI", "");
    writeBytes(t / "exe/MORVEX.INI", "");
    fs::create_directory(t / "cwd-empty/MORVEX.INI");  // a directory is no settings file
    const std::string missing = t / "no-such-dir";

    struct Case {
        SettingsLocations where;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{t / "cwd", t / "exe", t / "xdg", t / "home", ""}, t / "cwd/MORVEX.INI"},
        {{t / "cwd-empty", t / "exe", t / "xdg", t / "home", ""}, t / "exe/MORVEX.INI"},
        // No file beside the executable: never created there, even where it could be (run as
        // root from /usr/bin, it would set every user's fonts).
        {{t / "cwd-empty", t / "exe-empty", t / "xdg", t / "home", ""},
         t / "xdg/morvex/MORVEX.INI"},
        {{"", t / "exe-empty", "", t / "home", ""}, t / "home/.config/morvex/MORVEX.INI"},
        // Neither: the per-user configuration directory.
        {{t / "cwd-empty", missing, t / "xdg", t / "home", ""}, t / "xdg/morvex/MORVEX.INI"},
        {{t / "cwd-empty", missing, "", t / "home", ""}, t / "home/.config/morvex/MORVEX.INI"},
        {{t / "cwd-empty", "", "relative/xdg", t / "home", ""},
         t / "home/.config/morvex/MORVEX.INI"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findSettingsPath(c.where), c.expected)
            << c.where.currentDir << " | " << c.where.executableDir;
    }
}

TEST(SettingsPath, ProcessLocations) {
    const SettingsLocations where = processSettingsLocations();
    EXPECT_EQ(where.currentDir, fs::current_path().string());
    EXPECT_EQ(where.executableDir, fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST_F(Profile, CreatedDirectoriesArePrivate) {
    ProfileFile file(dir / "config/morvex/MORVEX.INI");
    ASSERT_TRUE(file.writeString("SMALL_FONT", "FACE", "Verdana"));
    for (const char* created : {"config", "config/morvex"}) {
        struct stat st {};
        ASSERT_EQ(stat((dir / created).c_str(), &st), 0) << created;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << created;
    }
}

TEST_F(Profile, UnreadableFileIsLeftAlone) {
    // A directory and a FIFO under the settings name: reads fall back at once, writes fail and
    // leave them as they are.
    const std::string fifo = dir / "FIFO.INI";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(path);
    for (const std::string& p : {path, fifo}) {
        ProfileFile file(p);
        EXPECT_EQ(file.readString("LARGE_FONT", "FACE", "fallback"), "fallback");
        std::string cause;
        EXPECT_FALSE(file.writeString("LARGE_FONT", "FACE", "Arial", &cause));
        EXPECT_EQ(cause, "not a regular file") << p;
    }
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

}  // namespace
