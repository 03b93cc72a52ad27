#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/core/settings.h"
#include "platform/directories.h"
#include "platform/text.h"
#include "support/temp_dir.h"

// Where MORVEX.INI is on Windows: in the current directory when it is there, else beside the
// program; the environment's folders play no part.
namespace {

TEST(WindowsSettingsPath, CurrentDirectoryElseBesideTheProgram) {
    TempDir t;
    for (const char* dir : {"cwd/x", "cwd-empty/x", "exe/x", "cwd-folder/MORVEX.INI/x"}) {
        ASSERT_TRUE(makeParentDirectories(t / dir));
    }
    writeBytes(t / "cwd/MORVEX.INI", "");
    writeBytes(t / "exe/MORVEX.INI", "");
    struct Case {
        SettingsLocations where;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{t / "cwd", t / "exe", "", ""}, t / "cwd\\MORVEX.INI"},
        {{t / "cwd-empty", t / "exe", "", ""}, t / "exe\\MORVEX.INI"},
        {{t / "cwd-folder", t / "exe", "", ""}, t / "exe\\MORVEX.INI"},
        // Beside the program even when it has none and the folder cannot be written.
        {{t / "cwd-empty", t / "missing", "", ""}, t / "missing\\MORVEX.INI"},
        {{t / "cwd-empty", "C:\\", t / "xdg", t / "home"}, "C:\\MORVEX.INI"},
        {{"", t / "exe/", "", ""}, t / "exe/MORVEX.INI"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findSettingsPath(c.where), c.expected)
            << c.where.currentDir << " | " << c.where.executableDir;
    }
}

TEST(WindowsSettingsPath, ProcessLocations) {
    wchar_t cwd[MAX_PATH * 4];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH * 4, cwd), 0u);
    wchar_t exe[MAX_PATH * 4];
    ASSERT_NE(GetModuleFileNameW(nullptr, exe, MAX_PATH * 4), 0u);
    std::wstring exeDir(exe);
    exeDir.resize(exeDir.find_last_of(L"\\/"));

    const SettingsLocations where = processSettingsLocations();
    EXPECT_EQ(where.currentDir, narrowToUtf8(cwd));
    EXPECT_EQ(where.executableDir, narrowToUtf8(exeDir));
    EXPECT_EQ(where.xdgConfigHome, "");
    EXPECT_EQ(where.home, "");
}

}  // namespace
