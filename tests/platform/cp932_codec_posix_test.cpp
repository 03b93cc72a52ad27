#include "platform/cp932_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

// The table that stands in for CP932 where the C library has none, against this C library's.
namespace {

std::string utf8Of(char32_t c) {
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | c >> 6);
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | c >> 12);
        s += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

TEST(Cp932Codec, DecodesEveryCodeAsTheCLibrary) {
    int mismatches = 0;
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        std::string bytes;
        if (code > 0xFF) {
            bytes += static_cast<char>(code >> 8);
        }
        bytes += static_cast<char>(code & 0xFF);
        if (decodeCp932ByTable(bytes) != cp932ToUtf8(bytes) && ++mismatches <= 5) {
            ADD_FAILURE() << "code " << std::hex << code;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Cp932Codec, EncodesEveryCharacterAsTheCLibrary) {
    int mismatches = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) {
            continue;
        }
        const std::string text = utf8Of(c);
        if (encodeCp932ByTable(text) != utf8ToCp932(text) && ++mismatches <= 5) {
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Texts of several characters, and bytes that are neither CP932 nor UTF-8.
TEST(Cp932Codec, TextsAsTheCLibrary) {
    const std::vector<std::string> cp932 = {"",
                                            "A1 \x93\xfc\x97\xcd",
                                            "\x82\xa0\x82",
                                            "\x82\x20",
                                            "\x80",
                                            "\xa0\xfd",
                                            "\xb1\xb2\x5c\x7e",
                                            "\x87\x40\xed\x40\xfa\x40"};
    for (const std::string& bytes : cp932) {
        EXPECT_EQ(decodeCp932ByTable(bytes), cp932ToUtf8(bytes)) << bytes;
    }
    const std::vector<std::string> utf8 = {
        "",         "ＭＳ ゴシック",    "\xef\xbd\x9e\xe3\x80\x9c",
        "\xc0\xaf", "\xed\xa0\x80",     "\xf0\x9f\x98\x80",
        "\xe3\x81", "\xf4\x90\x80\x80", "abc\xff"};
    for (const std::string& text : utf8) {
        EXPECT_EQ(encodeCp932ByTable(text), utf8ToCp932(text)) << text;
    }
}

}  // namespace
