#include "render/display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

TEST(DisplayText, DecodesCp932AndReplacesWhatCannotBeShown) {
    const struct {
        std::string bytes;
        std::string shown;
    } cases[] = {
        {"", ""},
        {"A1 <&>", "A1 <&>"},
        {"\x93\x64\x8C\xB9", "電源"},
        {"\xB1\xDF", "ｱﾟ"},           // half-width katakana, one byte each
        {"\x81\x60\x87\x40", "～①"},  // the mappings of Windows, not of JIS
        {"\\~", "\\~"},               // ASCII stays ASCII
        {"\x80", "\uFFFD"},           // bytes that start no character
        {"a\xA0z", "a\uFFFDz"},
        {"\xFD\xFE\xFF", "\uFFFD\uFFFD\uFFFD"},
        {"\x93\x64\x8C", "電\uFFFD"},  // a lead byte at the end
        {"\x81 x", "\uFFFD x"},        // a lead byte before ASCII: the ASCII byte stays
        {"\x85\x40", "\uFFFD@"},       // an unassigned pair: the ASCII trail byte stays
        {"\x85\x80", "\uFFFD"},        // an unassigned pair with a high trail byte: one
        {"\x93\x64\xFF\x8C\xB9", "電\uFFFD源"},
        {"a\x01\x1F"s + '\0' + "b\x7F", "a\u2401\u241F\u2400b\u2421"},  // controls as pictures
        {"\t\r\n", "\u2409\u240D\u240A"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(displayText(c.bytes), c.shown) << testing::PrintToString(c.bytes);
    }
}

TEST(DisplayText, LongInvalidTextIsLinear) {
    // Every byte fails; the text is still decoded whole, one replacement per byte.
    const std::string bytes(200000, '\xFF');
    const std::string shown = displayText(bytes);
    EXPECT_EQ(shown.size(), bytes.size() * 3);
    EXPECT_EQ(shown.substr(0, 6), "\uFFFD\uFFFD");
}

}  // namespace
