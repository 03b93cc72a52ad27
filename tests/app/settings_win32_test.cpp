#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/core/settings.h"
#include "platform/directories.h"
#include "platform/text.h"
#include "support/temp_dir.h"

// Where MORVEX.INI is on Windows: in the current directory when it is there, else beside the
// program when it is there, else in %APPDATA%\MORVEX when it is there or when the program's folder
// cannot be written, else beside the program.
namespace {

TEST(WindowsSettingsPath, CurrentDirectoryElseBesideTheProgramElseAppData) {
    TempDir t;
    for (const char* dir : {"cwd/x", "cwd-empty/x", "exe/x", "exe-empty/x",
                            "cwd-folder/MORVEX.INI/x", "own/MORVEX/x"}) {
        ASSERT_TRUE(makeParentDirectories(t / dir));
    }
    writeBytes(t / "cwd/MORVEX.INI", "");
    writeBytes(t / "exe/MORVEX.INI", "");
    writeBytes(t / "own/MORVEX/MORVEX.INI", "");
    struct Case {
        SettingsLocations where;
        std::string expected;
    };
    const std::string appData = t / "roaming";
    const std::vector<Case> cases = {
        {{t / "cwd", t / "exe", "", "", appData}, t / "cwd\\MORVEX.INI"},
        {{t / "cwd-empty", t / "exe", "", "", appData}, t / "exe\\MORVEX.INI"},
        {{t / "cwd-folder", t / "exe", "", "", appData}, t / "exe\\MORVEX.INI"},
        // None anywhere: beside the program, created on a first write, where the user may write
        // there (a copy from the zip); else the user's own (Program Files).
        {{t / "cwd-empty", t / "exe-empty", "", "", appData}, t / "exe-empty\\MORVEX.INI"},
        {{t / "cwd-empty", t / "missing", "", "", appData, false},
         t / "roaming\\MORVEX\\MORVEX.INI"},
        {{"", t / "exe-empty", t / "xdg", t / "home", "D:\\Users\\u\\AppData\\Roaming", false},
         "D:\\Users\\u\\AppData\\Roaming\\MORVEX\\MORVEX.INI"},
        {{"", t / "exe-empty", "", "", "\\\\server\\share\\u\\", false},
         "\\\\server\\share\\u\\MORVEX\\MORVEX.INI"},
        // The user's own once it exists, though the program's folder may be written.
        {{t / "cwd-empty", t / "exe-empty", "", "", t / "own"}, t / "own\\MORVEX\\MORVEX.INI"},
        // Without an absolute APPDATA, beside the program even when it has none.
        {{t / "cwd-empty", t / "missing", "", "", ""}, t / "missing\\MORVEX.INI"},
        {{t / "cwd-empty", "C:\\", t / "xdg", t / "home", "roaming"}, "C:\\MORVEX.INI"},
        {{t / "cwd-empty", "C:\\", "", "", "D:roaming"}, "C:\\MORVEX.INI"},
        {{t / "cwd-empty", "C:\\", "", "", "\\roaming"}, "C:\\MORVEX.INI"},
        {{"", t / "exe/", "", "", ""}, t / "exe/MORVEX.INI"},
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
    wchar_t appData[MAX_PATH * 4];
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH * 4);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(where.appData, narrowToUtf8(std::wstring(appData, n)));
    // The test's own folder may be written, and telling so leaves nothing there.
    EXPECT_TRUE(where.executableDirWritable);
    WIN32_FIND_DATAW found;
    const HANDLE left = FindFirstFileW((exeDir + L"\\.morvex-*").c_str(), &found);
    EXPECT_EQ(left, INVALID_HANDLE_VALUE);
    if (left != INVALID_HANDLE_VALUE) {
        FindClose(left);
    }
}

}  // namespace
