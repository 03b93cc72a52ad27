#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "app/core/settings_check.h"
#include "app/profile_fixture.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::vector<std::string> namesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.push_back(e.path().filename().string());
    }
    return names;
}

TEST_F(Profile, MissingFileGivesFallbacksAndIsNotCreated) {
    const ProfileFile file(path);
    EXPECT_EQ(file.readString("LARGE_FONT", "FACE", "fallback"), "fallback");
    EXPECT_EQ(file.readInt("LARGE_FONT", "SIZE", 12), 12);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(Profile, ReadsWithoutRegardToCaseAndTrims) {
    writeBytes(path,
               "[large_font]\r\n  Face =  Arial Black \t\r\nsize=14pt\r\n"
               "[Small_Font]\nFACE=\nSIZE= 9 \nSize=11\n[OTHER]\nBAD=abc\nNEG=-3\n");
    const ProfileFile file(path);
    EXPECT_EQ(file.readString("LARGE_FONT", "FACE", "x"), "Arial Black");
    EXPECT_EQ(file.readString("SMALL_FONT", "face", "x"), "");
    EXPECT_EQ(file.readString("SMALL_FONT", "NAME", "x"), "x");
    EXPECT_EQ(file.readString("NONE", "FACE", "x"), "x");

    struct IntCase {
        const char* section;
        const char* key;
        int expected;
    };
    const std::vector<IntCase> ints = {
        {"LARGE_FONT", "SIZE", 14},  // the leading number
        {"SMALL_FONT", "SIZE", 9},   // the first of two
        {"OTHER", "BAD", 0},         // present without a number: not the fallback
        {"OTHER", "NEG", -3},       {"OTHER", "MISSING", 77},
    };
    for (const IntCase& c : ints) {
        EXPECT_EQ(file.readInt(c.section, c.key, 77), c.expected) << c.section << "/" << c.key;
    }
}

TEST_F(Profile, WriteReplacesOneKeyAndKeepsTheRest) {
    writeBytes(path,
               "; fonts for comments\r\n"
               "[Large_Font]\r\n"
               "face=Arial\r\n"
               "; points\r\n"
               "Size=12\r\n"
               "[OTHER]\r\n"
               "KEEP=me\r\n");
    ProfileFile file(path);
    ASSERT_TRUE(file.writeString("LARGE_FONT", "FACE", kDefaultLargeFace));
    ASSERT_TRUE(file.writeInt("large_font", "SIZE", 10));
    // Names keep their spelling, and every other line stays as it was.
    const std::string expected =
        "; fonts for comments\r\n"
        "[Large_Font]\r\n"
        "face=" +
        std::string(kDefaultLargeFace) +
        "\r\n"
        "; points\r\n"
        "Size=10\r\n"
        "[OTHER]\r\n"
        "KEEP=me\r\n";
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(file.readString("LARGE_FONT", "FACE", ""), kDefaultLargeFace);
    // Writing the same value again changes no byte: the layout does not drift.
    ASSERT_TRUE(file.writeInt("LARGE_FONT", "SIZE", 10));
    EXPECT_EQ(readBytes(path), expected);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"MORVEX.INI"});
}

TEST_F(Profile, WriteCreatesFileSectionAndDirectories) {
    const std::string nested = dir / "config/morvex/MORVEX.INI";
    ProfileFile file(nested);
    ASSERT_TRUE(file.writeString("SMALL_FONT", "FACE", "Verdana"));
    ASSERT_TRUE(file.writeInt("LARGE_FONT", "SIZE", 12));
    EXPECT_EQ(readBytes(nested), "[SMALL_FONT]\r\nFACE=Verdana\r\n[LARGE_FONT]\r\nSIZE=12\r\n");
}

TEST_F(Profile, GarbageReadsAsEmpty) {
    const std::vector<std::string> garbage = {
        std::string("\0\0\0[LARGE_FONT]\nFACE=X\n", 22),
        "\xFF\xFE[\x01\x02=\x03\n\n\n=====\n[[[[",
        "[LARGE_FONT\nFACE\n",
        std::string(70000, '['),
    };
    for (const std::string& bytes : garbage) {
        writeBytes(path, bytes);
        const ProfileFile file(path);
        EXPECT_EQ(file.readString("LARGE_FONT", "FACE", "fallback"), "fallback");
        EXPECT_EQ(file.readInt("LARGE_FONT", "SIZE", 12), 12);
    }
}

TEST_F(Profile, RefusesWhatWouldNotStayOneLine) {
    writeBytes(path, "[A]\r\nK=v\r\n");
    ProfileFile file(path);
    const std::vector<std::vector<std::string>> refused = {
        {"A", "K", "two\r\nlines"},
        {"A", "K", std::string("n\0l", 3)},
        {"A", "K=", "v"},
        {"A]", "K", "v"},
        {"", "K", "v"},
        {"A", "", "v"},
        // Names with surrounding blanks, or keys that would read as a section or a comment.
        {" A", "K", "v"},
        {"A", "K ", "v"},
        {"A", "[K]", "v"},
        {"A", ";K", "v"},
    };
    for (const auto& r : refused) {
        std::string cause;
        EXPECT_FALSE(file.writeString(r[0], r[1], r[2], &cause)) << r[0] << "/" << r[1];
        EXPECT_EQ(cause, "the entry does not fit on a line of the settings file") << r[0];
    }
    EXPECT_EQ(readBytes(path), "[A]\r\nK=v\r\n");
}

// What a file named as the settings file must look like: any plausible INI file, not binary
// garbage or prose.
TEST(SettingsFileCheck, RefusesWhatIsNoSettingsFile) {
    struct Case {
        std::string text;
        ForeignLine foreign;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"[LARGE_FONT]\r\nFACE=Arial\r\nSIZE = 12 \r\n", {}},
        {"\xEF\xBB\xBF[A]\nk=v", {}},  // a byte order mark, no last line end
        {"; comment\n# comment\n\n   \t\n[A\nkey before any section=1\n", {}},
        {"[A]\nFACE=\x82\x6C\x82\x72\n", {}},  // CP932 bytes
        {"[A]\nk=v\x7F\n", {2, true}},
        {"[A]\nk=v\n\0\n"s, {3, true}},
        {"\x89PNG\r\n\x1A\n", {1, false}},
        {"[A]\r\nFACE=Arial\r\nBold please\r\n", {3, false}},
        {"hello", {1, false}},
    };
    for (const Case& c : cases) {
        const ForeignLine found = findForeignLine(c.text);
        EXPECT_EQ(found.number, c.foreign.number) << c.text;
        EXPECT_EQ(found.controlBytes, c.foreign.controlBytes) << c.text;
    }
}

// Files that are read, but not as they look.
TEST(SettingsCheck, WarnsOfWhatIsNotReadAsItLooks) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"[LARGE_FONT]\r\nFACE=Arial\r\n", ""},
        {"\xEF\xBB\xBF[LARGE_FONT]\r\nFACE=Arial\r\n",
         "its first section [LARGE_FONT] is not read: a UTF-8 byte order mark stands before it"},
        {"\xEF\xBB\xBF; comment\r\n[LARGE_FONT]\r\n", ""},
        {"[LARGE_FONT]\rFACE=Arial\r", "its lines end in CR alone, so only its first line is read"},
        {"[LARGE_FONT]\r", ""},
        {"", ""},
    };
    for (const auto& [text, warning] : cases) {
        EXPECT_EQ(settingsTextWarning(text), warning) << text;
    }
}

// The file a program starts with: a missing one is still where writes go, one that cannot be used
// is neither read nor written, and the user is told of either kind of trouble.
TEST_F(Profile, SettingsInUseSaysWhatTheUserIsToldOfTheFile) {
    struct Case {
        const char* text;  // null: no file; "/": a directory
        bool used;
        std::string notice;
    };
    const std::vector<Case> cases = {
        {nullptr, true, ""},
        {"[LARGE_FONT]\r\nSIZE=12\r\n", true, ""},
        {"\xEF\xBB\xBF[LARGE_FONT]\r\n", true,
         ": its first section [LARGE_FONT] is not read: a UTF-8 byte order mark stands before it"},
        {"/", false, ": not a regular file; the default fonts apply"},
        {"\x89PNG\r\n", false,
         ": not a settings file: line 1 is neither a section, a key=value line, a comment nor "
         "blank; the default fonts apply"},
    };
    for (const Case& c : cases) {
        fs::remove_all(path);
        if (c.text != nullptr && std::string(c.text) == "/") {
            fs::create_directory(path);
        } else if (c.text != nullptr) {
            writeBytes(path, c.text);
        }
        const SettingsInUse inUse = settingsInUse(path);
        EXPECT_EQ(inUse.path, c.used ? path : "") << (c.text ? c.text : "none");
        EXPECT_EQ(inUse.notice, c.notice.empty() ? "" : path + c.notice);
    }
}

}  // namespace
