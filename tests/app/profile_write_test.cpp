#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/core/profile_file.h"
#include "app/core/settings.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nothing: no file
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

// One write of one key into a settings file: the exact bytes before and after.
TEST(ProfileWrite, ChangesOnlyTheKeysLine) {
    const std::string longComment = "; " + std::string(100000, 'x');
    const std::vector<WriteCase> cases = {
        {"no file", std::nullopt, "LARGE_FONT", "FACE", "Arial", "[LARGE_FONT]\r\nFACE=Arial\r\n"},
        {"comments and odd spacing stay", "; fonts\r\n[large_font]\r\n  Face =  Old \t\r\n\r\n",
         "LARGE_FONT", "FACE", "New", "; fonts\r\n[large_font]\r\n  Face =  New \t\r\n\r\n"},
        {"empty value", "[A]\r\nK = \r\nL=\r\n", "A", "K", "v", "[A]\r\nK = v\r\nL=\r\n"},
        {"key added after the section's last key", "[A]\r\nX=1\r\n\r\n; about B\r\n[B]\r\nY=2\r\n",
         "A", "Z", "3", "[A]\r\nX=1\r\nZ=3\r\n\r\n; about B\r\n[B]\r\nY=2\r\n"},
        {"key added to a section without keys", "[A]\r\n; none yet\r\n[B]\r\n", "A", "K", "v",
         "[A]\r\nK=v\r\n; none yet\r\n[B]\r\n"},
        {"missing section added at the end", "; c\r\n[A]\r\nK=v\r\n\r\n", "B", "K", "w",
         "; c\r\n[A]\r\nK=v\r\n\r\n[B]\r\nK=w\r\n"},
        {"LF lines: section added after a last line without end", "[A]\nK=v", "B", "K", "w",
         "[A]\nK=v\n[B]\nK=w\n"},
        {"no final line end: replaced, still none", "[A]\r\nK=v", "A", "K", "w", "[A]\r\nK=w"},
        {"no final line end: key added", "[A]\r\nK=v", "A", "L", "x", "[A]\r\nK=v\r\nL=x\r\n"},
        {"added lines take the first line's end", "[A]\nK=v\r\n", "A", "L", "x",
         "[A]\nK=v\r\nL=x\n"},
        {"duplicate keys: the first is replaced", "[A]\r\nK=1\r\nk=2\r\n", "A", "K", "3",
         "[A]\r\nK=3\r\nk=2\r\n"},
        {"duplicate sections: only the first counts", "[A]\r\nX=1\r\n[B]\r\n[a]\r\nK=old\r\n", "A",
         "K", "new", "[A]\r\nX=1\r\nK=new\r\n[B]\r\n[a]\r\nK=old\r\n"},
        {"lines that are no keys stay", "junk\r\n[A]\r\nno equals sign\r\n=\r\nK=v\r\n", "A", "K",
         "w", "junk\r\n[A]\r\nno equals sign\r\n=\r\nK=w\r\n"},
        {"a key before any section is in none", "K=top\r\n[A]\r\n", "A", "K", "v",
         "K=top\r\n[A]\r\nK=v\r\n"},
        {"a comment is no key", "[A]\r\n;K=old\r\nK=v\r\n", "A", "K", "w",
         "[A]\r\n;K=old\r\nK=w\r\n"},
        {"section line with blanks and text after it", " [ A ] ; c\r\nK=v\r\n", "A", "K", "w",
         " [ A ] ; c\r\nK=w\r\n"},
        {"'[' without ']' starts no section", "[A\r\nK=v\r\n", "A", "K", "w",
         "[A\r\nK=v\r\n[A]\r\nK=w\r\n"},
        {"NUL bytes elsewhere stay", "[A]\r\nN=a\0b\r\nK=v\0junk\r\n"s, "A", "K", "w",
         "[A]\r\nN=a\0b\r\nK=w\r\n"s},
        {"very long lines stay", longComment + "\n[A]\nK=v\n", "A", "K", "w",
         longComment + "\n[A]\nK=w\n"},
    };
    for (const WriteCase& c : cases) {
        TempDir dir;
        const std::string path = dir / "MORVEX.INI";
        if (c.before) {
            writeBytes(path, *c.before);
        }
        ProfileFile file(path);
        ASSERT_TRUE(file.writeString(c.section, c.key, c.value)) << c.name;
        EXPECT_EQ(readBytes(path), c.after) << c.name;
        EXPECT_EQ(file.readString(c.section, c.key, "missing"), c.value) << c.name;
    }
}

TEST(ProfileRead, TheFirstOfDuplicatesCountsAndValuesEndAtNul) {
    TempDir dir;
    const std::string path = dir / "MORVEX.INI";
    writeBytes(path, "[A]\nK=1\nK=2\n[B]\n[a]\nK=3\nL=4\n[C]\nK= x \0 y\n; c\nL=y\n"s);
    const ProfileFile file(path);
    const std::vector<std::vector<std::string>> cases = {
        {"A", "K", "1"},         // the first of two keys
        {"A", "L", "fallback"},  // only in a later section of the same name
        {"C", "K", "x"},         // cut at the NUL byte, then trimmed
        {"C", "L", "y"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(file.readString(c[0], c[1], "fallback"), c[2]) << c[0] << "/" << c[1];
    }
}

}  // namespace
