#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/conversion.h"
#include "app/core/conversion_text.h"
#include "ce2_builder/ce2_builder.h"
#include "platform/directories.h"
#include "platform/files.h"
#include "platform/text.h"
#include "support/temp_dir.h"

namespace {

using namespace ce2build;

const std::string kTwoWires = line(kWire, 0, 10, 10, 50, 10) + line(kWire, 0, 5, 5, 5, 9);

std::string backslashed(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

TEST(WidePath, LongPathsTakeTheExtendedForm) {
    const std::string folder(300, 'f');
    EXPECT_EQ(widePath("C:\\work\\x.ce2"), L"C:\\work\\x.ce2");
    EXPECT_EQ(widePath("回路図\\電源.ce2"), L"\u56DE\u8DEF\u56F3\\\u96FB\u6E90.ce2");
    EXPECT_EQ(widePath("C:\\" + folder + "/x.ce2"), widenUtf8("\\\\?\\C:\\" + folder + "\\x.ce2"));
    EXPECT_EQ(widePath("C:\\" + folder + "\\..\\x.ce2"), L"C:\\x.ce2");  // long, but not in full
    EXPECT_EQ(widePath("\\\\srv\\share\\" + folder),
              widenUtf8("\\\\?\\UNC\\srv\\share\\" + folder));
    EXPECT_EQ(widePath("\\\\?\\C:\\" + folder), widenUtf8("\\\\?\\C:\\" + folder));
    // Relative: the current directory goes in front.
    const std::wstring relative = widePath(folder);
    EXPECT_EQ(relative.rfind(L"\\\\?\\", 0), 0u);
    EXPECT_EQ(relative.substr(relative.size() - folder.size() - 1), L"\\" + widenUtf8(folder));
}

// Under an ANSI code page that cannot hold the name (the tests run with 1252), a Japanese name
// still converts, lists and reports as UTF-8.
TEST(UnicodeNames, ConvertWhateverTheAnsiCodePage) {
    ASSERT_NE(GetACP(), 932u) << "the test needs an ANSI code page without Japanese";
    TempDir dir;
    ASSERT_TRUE(makeParentDirectories(dir / "回路図/x"));
    // Written with the wide functions: the C++ streams would take the name through the ANSI code
    // page.
    const std::string source = backslashed(dir / "回路図/電源.ce2");
    const HANDLE file = CreateFileW(widePath(source).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file, kTwoWires.data(), static_cast<DWORD>(kTwoWires.size()), &written, nullptr));
    CloseHandle(file);

    const std::vector<FileReport> reports = convertFiles({source}, ConversionOptions{});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted) << describeOutcome(reports[0]);
    EXPECT_EQ(reports[0].output, backslashed(dir / "回路図/電源.ce3"));
    EXPECT_EQ(fileStatus(reports[0].output).kind, FileKind::Regular);

    DirectoryListing listing = listDirectory(backslashed(dir / "回路図"));
    std::sort(listing.others.begin(), listing.others.end());
    EXPECT_EQ(listing.others, (std::vector<std::string>{backslashed(dir / "回路図/電源.ce2"),
                                                        backslashed(dir / "回路図/電源.ce3")}));
    EXPECT_TRUE(listing.error.empty());
}

// Beyond MAX_PATH (260 characters) through the extended form.
TEST(LongPaths, ConvertBeyondTheClassicLimit) {
    TempDir dir;
    std::string deep = backslashed(dir.path());
    while (deep.size() < 400) {
        deep += "\\" + std::string(60, 'd');
    }
    const std::string source = deep + "\\long.ce2";
    ASSERT_TRUE(makeParentDirectories(source));
    EXPECT_EQ(fileStatus(deep).kind, FileKind::Directory);
    const HANDLE file = CreateFileW(widePath(source).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file, kTwoWires.data(), static_cast<DWORD>(kTwoWires.size()), &written, nullptr));
    CloseHandle(file);

    const std::vector<FileReport> reports = convertFiles({source}, ConversionOptions{});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].outcome, FileOutcome::Converted) << describeOutcome(reports[0]);
    EXPECT_EQ(fileStatus(deep + "\\long.ce3").kind, FileKind::Regular);
    EXPECT_EQ(listDirectory(deep).others.size(), 2u);
    EXPECT_TRUE(fileIdentity(deep));
}

TEST(FileStatus, KindsAndIdentities) {
    TempDir dir;
    writeBytes(dir / "a.ce2", "a");
    ASSERT_TRUE(makeParentDirectories(dir / "sub/x"));
    EXPECT_EQ(fileStatus(dir / "a.ce2").kind, FileKind::Regular);
    EXPECT_EQ(fileStatus(dir / "sub").kind, FileKind::Directory);
    EXPECT_EQ(fileStatus("NUL").kind, FileKind::Other);
    const FileStatus missing = fileStatus(dir / "missing");
    EXPECT_EQ(missing.kind, FileKind::Unknown);
    EXPECT_EQ(missing.error, "No such file or directory");

    // One file by different spellings, there or not yet, in any letter case; another file is
    // another key.
    EXPECT_EQ(fileKey(dir / "a.ce2"), fileKey(backslashed(dir / "sub/../A.CE2")));
    EXPECT_NE(fileKey(dir / "a.ce2"), fileKey(dir / "sub"));
    EXPECT_EQ(fileKey(dir / "new/x.ce3"), fileKey(backslashed(dir / "sub/../NEW/X.CE3")));
    EXPECT_NE(fileKey(dir / "new/x.ce3"), fileKey(dir / "new/y.ce3"));
    errno = 0;
    EXPECT_FALSE(fileIdentity(dir / "missing"));
    EXPECT_EQ(errno, ENOENT);
}

TEST(DirectoryListing, EntriesJoinedToTheFolderAsGiven) {
    TempDir dir;
    writeBytes(dir / "a.ce2", "a");
    ASSERT_TRUE(makeParentDirectories(dir / "sub/x"));
    struct Case {
        std::string folder;
        std::string joined;  // what goes between the folder and a name
    };
    for (const Case& c : std::vector<Case>{
             {dir.path(), "\\"}, {dir.path() + "/", ""}, {backslashed(dir.path()) + "\\", ""}}) {
        const DirectoryListing listing = listDirectory(c.folder);
        EXPECT_EQ(listing.others, std::vector<std::string>{c.folder + c.joined + "a.ce2"});
        EXPECT_EQ(listing.directories, std::vector<std::string>{c.folder + c.joined + "sub"});
        EXPECT_TRUE(listing.error.empty()) << c.folder;
    }
    const DirectoryListing missing = listDirectory(dir / "missing");
    EXPECT_TRUE(missing.others.empty());
    EXPECT_EQ(missing.error, "No such file or directory");
}

TEST(PathArgument, WildcardsInTheFinalComponentMatchItsFolder) {
    TempDir dir;
    for (const char* name : {"b.ce2", "a.CE2", "電源.ce2", "ab.ce3"}) {
        // A wide name: writeBytes would take it through the ANSI code page.
        std::ofstream(pathFromUtf8(dir / name)) << "x";
    }
    ASSERT_TRUE(makeParentDirectories(dir / "a1/x"));
    const std::string f = backslashed(dir.path()) + "\\";
    const std::string extended = "\\\\?\\" + f + "b.ce2";
    struct Case {
        std::string argument;
        bool pattern;
        std::vector<std::string> paths;
        bool failed;
    };
    const std::vector<Case> cases = {
        // In byte order, in any letter case, joined to the folder as it was given.
        {f + "*.ce2", true, {f + "a.CE2", f + "b.ce2", f + "電源.ce2"}, false},
        {f + "a?", true, {f + "a1"}, false},
        {dir / "a*", true, {dir / "a.CE2", dir / "a1", dir / "ab.ce3"}, false},
        {f + "x*.ce2", true, {}, false},
        {f + "missing\\*.ce2", true, {}, true},
        {f + "a.ce2", false, {f + "a.ce2"}, false},
        // Neither a wildcard in a folder before the final component nor the prefix \\?\.
        {f + "a*\\x.ce2", false, {f + "a*\\x.ce2"}, false},
        {extended, false, {extended}, false},
    };
    for (const Case& c : cases) {
        const PathArgument expanded = expandPathArgument(c.argument);
        EXPECT_EQ(expanded.pattern, c.pattern) << c.argument;
        EXPECT_EQ(expanded.paths, c.paths) << c.argument;
        EXPECT_EQ(!expanded.error.empty(), c.failed) << c.argument << ": " << expanded.error;
    }
}

}  // namespace
