#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/core/settings.h"
#include "platform/text.h"

namespace {

struct RoundTrip {
    std::string cp932;
    std::string utf8;
};

// Rows where CP932 differs from plain Shift-JIS (NEC row 13, the wave dash) and the default face.
const std::vector<RoundTrip> kRoundTrips = {
    {kDefaultLargeFace, "ＭＳ Ｐゴシック"},
    {"\x87\x40", "\u2460"},
    {"\x81\x60", "\uFF5E"},
    {"Verdana", "Verdana"},
    {"\x93\x64\x8C\xB9 A", "電源 A"},
    {"\xB1\xB2", "ｱｲ"},
    {"", ""},
};

TEST(Cp932, ConvertsBothWays) {
    for (const RoundTrip& row : kRoundTrips) {
        EXPECT_EQ(cp932ToUtf8(row.cp932), row.utf8) << row.utf8;
        EXPECT_EQ(utf8ToCp932(row.utf8), row.cp932) << row.utf8;
    }
}

TEST(Cp932, RefusesWhatCannotBeRepresented) {
    const std::vector<std::string> notInCp932 = {"\U0001F600", "\u00E9", "a\u0100b"};
    for (const std::string& text : notInCp932) {
        EXPECT_EQ(utf8ToCp932(text), std::nullopt) << text;
    }
    EXPECT_EQ(utf8ToCp932("\xFF"), std::nullopt);      // not UTF-8
    EXPECT_EQ(cp932ToUtf8("A\x82"), std::nullopt);     // lead byte without its trail byte
    EXPECT_EQ(cp932ToUtf8("\x85\x40"), std::nullopt);  // unassigned row
}

// Every system gives the same bytes: the JIS forms of a few characters are written with the codes
// of their Microsoft forms, and the single bytes that CP932 leaves unassigned are refused both
// ways, whatever the system's own tables say of them.
TEST(Cp932, SameBytesOnEverySystem) {
    const std::vector<std::pair<std::string, std::string>> oneWay = {
        {"\u301C", "\x81\x60"},
        {"\u00A5", "\x5C"},
        {"\u203E", "\x7E"},
        {"\u2014", "\x81\x5C"},
        {"\u2016", "\x81\x61"},
        {"\u2212", "\x81\x7C"},
        {"\u00A2", "\x81\x91"},
        {"\u00A3", "\x81\x92"},
        {"\u00AC", "\x81\xCA"},
        {"a\u301Cb\u00A5",
         "a\x81\x60"
         "b\x5C"},
    };
    for (const auto& [text, bytes] : oneWay) {
        EXPECT_EQ(utf8ToCp932(text), bytes) << text;
    }
    for (const char* unassigned : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF", "A\x80"}) {
        EXPECT_EQ(cp932ToUtf8(unassigned), std::nullopt) << int(unassigned[0]);
    }
    for (const char* privateUse : {"\u0080", "\uF8F0", "\uF8F3"}) {
        EXPECT_EQ(utf8ToCp932(privateUse), std::nullopt) << privateUse;
    }
    // A byte that only a lead byte before it makes a trail byte.
    EXPECT_EQ(cp932ToUtf8("\x81\x80"), "\u00F7");
}

}  // namespace
