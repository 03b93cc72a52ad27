#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "platform/paths.h"

namespace {

TEST(WindowsPaths, BothSlashesSeparate) {
    EXPECT_TRUE(isPathSeparator('\\'));
    EXPECT_TRUE(isPathSeparator('/'));
    for (const char c : {':', '.', '\0', '?'}) {
        EXPECT_FALSE(isPathSeparator(c)) << int(c);
    }
}

TEST(WindowsPaths, RootPrefixAndFinalComponent) {
    struct Case {
        std::string_view path;
        std::size_t root;
        std::size_t finalStart;
    };
    const std::vector<Case> cases = {
        {"", 0, 0},
        {"x.ce2", 0, 0},
        {"C:", 2, 2},
        {"C:x.ce2", 2, 2},
        {"c:\\work\\x.ce2", 2, 8},
        {"C:/work/x.ce2", 2, 8},
        {"\\work\\x.ce2", 0, 6},
        {"\\\\srv\\share", 11, 11},
        {"\\\\srv\\share\\a.b\\c.ce2", 11, 16},
        {"//srv/share/c.ce2", 11, 12},
        {"\\\\srv", 5, 5},
        {"\\\\?\\C:\\a\\b.ce2", 6, 9},
        {"\\\\?\\UNC\\srv\\share\\b.ce2", 17, 18},
        {"\\\\?\\unc\\srv", 11, 11},
        {"\\\\.\\pipe\\x", 8, 9},
        {"\\\\?\\Volume{1}\\x.ce2", 13, 14},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rootPrefixLength(c.path), c.root) << c.path;
        EXPECT_EQ(finalComponentStart(c.path), c.finalStart) << c.path;
    }
}

TEST(WindowsPaths, Ce3PathReplacesTheExtensionOfTheFinalComponent) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\work\\amp.CE2", "C:\\work\\amp.ce3"},
        {"C:\\work\\x.ce2", "C:\\work\\x.ce3"},
        {"C:\\old.set\\x", "C:\\old.set\\x.ce3"},
        {"C:/old.set/x", "C:/old.set/x.ce3"},
        {"C:\\old.set/x", "C:\\old.set/x.ce3"},
        {"\\\\srv\\share\\a.b\\c.ce2", "\\\\srv\\share\\a.b\\c.ce3"},
        {"\\\\srv.x\\share", "\\\\srv.x\\share.ce3"},
        {"\\\\srv\\sh.are", "\\\\srv\\sh.are.ce3"},  // a share is no file name
        {"\\\\?\\C:\\a.b\\c", "\\\\?\\C:\\a.b\\c.ce3"},
        {"\\\\?\\UNC\\srv\\share\\a.b\\c.CE2", "\\\\?\\UNC\\srv\\share\\a.b\\c.ce3"},
        {"C:x.ce2", "C:x.ce3"},
        {"C:.hidden", "C:.ce3"},
        {"回路図\\電源.ce2", "回路図\\電源.ce3"},
        {"a\\b.c:d", "a\\b.ce3"},
        {"d\\.x\\", "d\\.x\\.ce3"},
    };
    for (const auto& [source, output] : cases) {
        EXPECT_EQ(makeCe3Path(source), output) << source;
    }
}

TEST(WindowsPaths, DevicesAreKnownByName) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"NUL", true},
        {"C:\\work\\nul.ce2", true},
        {"con", true},
        {"CON .ce2", true},
        {"d\\COM1.ce2", true},
        {"LPT9", true},
        {"COM\xC2\xB9.ce2", true},  // COM with a superscript one
        {"CONIN$", true},
        {"\\\\.\\pipe\\x.ce2", true},
        {"\\\\.\\C:", true},  // the volume itself
        {"\\\\.\\COM1", true},
        {"\\\\?\\pipe\\x.ce2", true},
        {"\\\\srv\\pipe\\x.ce2", true},
        {"\\\\?\\GLOBALROOT\\Device\\Null", true},
        {"x.ce2", false},
        {"CONSOLE.ce2", false},
        {"COM10.ce2", false},
        {"COM0.ce2", false},
        {"NULL", false},
        {"nul\\x.ce2", false},  // only the final component counts
        {"\\\\?\\C:\\NUL\\x.ce2", false},
        {"\\\\?\\UNC\\srv\\share\\x.ce2", false},
        {"\\\\?\\Volume{1}\\x.ce2", false},
        {"//./C:/x.ce2", false},  // a file on a drive, in the device namespace
        {"\\\\srv\\share\\x.ce2", false},
    };
    for (const auto& [path, device] : cases) {
        EXPECT_EQ(namesDevice(path), device) << path;
    }
}

}  // namespace
