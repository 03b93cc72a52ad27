#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/core/settings.h"
#include "platform/text.h"

// Texts given in the encoding of the POSIX locale.
namespace {

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
