#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "app/core/settings.h"
#include "platform/cp932.h"

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

// Restores the character-type locale of the test program.
class LocaleTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = std::setlocale(LC_CTYPE, nullptr); }
    void TearDown() override { std::setlocale(LC_CTYPE, saved_.c_str()); }

  private:
    std::string saved_;
};

TEST_F(LocaleTest, EncodesFromTheLocaleEncoding) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    EXPECT_EQ(localeToCp932("ＭＳ Ｐゴシック"), std::string(kDefaultLargeFace));
    EXPECT_EQ(localeToCp932("\U0001F600"), std::nullopt);

    ASSERT_NE(std::setlocale(LC_CTYPE, "C"), nullptr);
    EXPECT_EQ(localeToCp932("Verdana"), "Verdana");
    EXPECT_EQ(localeToCp932("ＭＳ"), std::nullopt);
}

}  // namespace
