#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ce2/ce2_stream.h"
#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "ce3/converted_contents.h"
#include "platform/numbers.h"

namespace {

struct LineToken {
    std::string text;
    int line;
};

// Every token of `text` with its line, up to the first -1.
std::vector<LineToken> tokensOf(const std::string& text) {
    Ce3Reader reader(text.c_str());
    std::vector<LineToken> out;
    std::string token;
    for (int line; (line = reader.readToken(token)) >= 0;) {
        out.push_back({token, line});
    }
    return out;
}

std::vector<std::string> textsOf(const std::string& text) {
    std::vector<std::string> out;
    for (const LineToken& t : tokensOf(text)) {
        out.push_back(t.text);
    }
    return out;
}

TEST(Ce3Writer, EveryByteSurvivesWriteThenRead) {
    for (int b = 0x01; b <= 0xFF; ++b) {
        const std::string value = std::string("a") + static_cast<char>(b) + "z";
        std::string out;
        Ce3Writer writer(&out);
        ASSERT_EQ(writer.writeStringField("S", value), 0);
        ASSERT_EQ(writer.endLine(), 0);
        const bool escaped = b <= 0x20 || b == '%' || b == ',';
        EXPECT_EQ(out.size(), escaped ? 9u : 7u) << "byte " << b;
        const auto tokens = textsOf(out);
        ASSERT_EQ(tokens.size(), 1u) << "byte " << b;
        EXPECT_EQ(tokens[0], "S:" + value) << "byte " << b;
    }
}

TEST(Ce3Writer, EscapesAndSeparators) {
    struct Case {
        std::string value;
        std::string written;
    };
    const std::vector<Case> cases = {
        {"A,B", "S:A%2CB"}, {"50%", "S:50%25"},
        {"a b", "S:a%20b"}, {"\t\r\n", "S:%09%0D%0A"},
        {"a:b", "S:a:b"},   {"\x7F\x80\xFF", "S:\x7F\x80\xFF"},
        {"", "S:"},
    };
    for (const Case& c : cases) {
        std::string out;
        Ce3Writer writer(&out);
        writer.writeStringField("S", c.value);
        EXPECT_EQ(out, c.written);
    }
}

TEST(Ce3Writer, CommasOnlyBetweenTokensOfALine) {
    std::string out;
    Ce3Writer writer(&out);
    writer.writeToken("+JUNCTION");
    writer.writeIntField("L", 0);
    writer.writeIntField("X", -20);
    writer.writeIntField("Y", -2147483647 - 1);
    writer.writeToken(std::string("-JUNCTION"));
    writer.endLine();
    writer.writeToken("");
    writer.writeToken("A");
    writer.endLine();
    EXPECT_EQ(out, "+JUNCTION,L:0,X:-20,Y:-2147483648,-JUNCTION\r\n,A\r\n");
}

TEST(Ce3Writer, StopsAtNulAndFailsWithoutTarget) {
    std::string out;
    Ce3Writer writer(&out);
    writer.writeToken(std::string("ab\0cd", 5));
    EXPECT_EQ(out, "ab");

    Ce3Writer none;
    EXPECT_EQ(none.putChar('a'), -1);
    EXPECT_EQ(none.writeToken("a"), -1);
    EXPECT_EQ(none.writeToken("b"), -1);  // the separator fails too
    EXPECT_EQ(none.endLine(), -1);
}

TEST(Ce3Reader, TokensAndLineNumbers) {
    const std::string text = "+JUNCTION,L:0,X:120,Y:80,-JUNCTION\r\n\r\n  \tA, B ,C,\nD";
    const auto tokens = tokensOf(text);
    ASSERT_EQ(tokens.size(), 9u);
    EXPECT_EQ(tokens[0].text, "+JUNCTION");
    EXPECT_EQ(tokens[4].text, "-JUNCTION");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(tokens[i].line, 1);
    }
    EXPECT_EQ(tokens[5].text, "A");
    EXPECT_EQ(tokens[5].line, 3);
    EXPECT_EQ(tokens[6].text, "B ");  // blanks inside and after a token belong to it
    EXPECT_EQ(tokens[7].text, "C");   // the trailing comma gives no empty token
    EXPECT_EQ(tokens[8].text, "D");
    EXPECT_EQ(tokens[8].line, 4);
}

TEST(Ce3Reader, EmptyTokensAndEmptyInputs) {
    EXPECT_EQ(textsOf("A,,B"), (std::vector<std::string>{"A", "", "B"}));
    EXPECT_EQ(textsOf(",A"), (std::vector<std::string>{"", "A"}));
    EXPECT_TRUE(textsOf("").empty());
    EXPECT_TRUE(textsOf(" \t\r\n\r\n").empty());
    Ce3Reader none;
    std::string token;
    EXPECT_EQ(none.readToken(token), -1);
}

TEST(Ce3Reader, Escapes) {
    struct Case {
        std::string text;
        std::vector<std::string> tokens;
    };
    const std::vector<Case> cases = {
        {"a%2Cb%25%20%0A", {std::string("a,b% \n")}},
        {"%4a%4A", {"JJ"}},
        {"%4Z", {"\x04"}},
        {"%ZZx", {std::string("\0x", 2)}},
        {"%-1", {"\xFF"}},
        {"% 5", {"\x05"}},
        {"%4,A", {}},     // broken: a comma inside the escape
        {"A,%4", {"A"}},  // broken: the input ends inside the escape
        {"A,%", {"A"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textsOf(c.text), c.tokens) << c.text;
    }
}

TEST(Ce3Reader, LongTokenIsCutAndTheNextByteDropped) {
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        text.push_back(static_cast<char>('a' + i % 26));
    }
    const auto tokens = textsOf(text);
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[0], text.substr(0, 32768));
    EXPECT_EQ(tokens[1], text.substr(32769));
}

TEST(Ce3Reader, StreamSourceReadsNulAsAByte) {
    const std::string bytes("A\0B,C", 5);
    const FilePtr f = ce2test::fileStreamOf(bytes);
    ASSERT_NE(f, nullptr);
    Ce3Reader reader(f.get());
    std::string token;
    EXPECT_EQ(reader.readToken(token), 1);
    EXPECT_EQ(token, std::string("A\0B", 3));
    EXPECT_EQ(reader.readToken(token), 1);
    EXPECT_EQ(token, "C");
    EXPECT_EQ(reader.readToken(token), -1);
}

// A token that lies whole in the text, unescaped, is handed out in place; one with an escape is
// decoded into the reader's own buffer.
TEST(Ce3Reader, PlainTokensAreViewsIntoTheText) {
    const std::string text = "+WIRE,X1:10,S:a%20b,-WIRE\r\nlast";
    struct Case {
        std::string_view token;
        bool inPlace;
    };
    const std::vector<Case> cases = {
        {"+WIRE", true}, {"X1:10", true}, {"S:a b", false}, {"-WIRE", true}, {"last", true},
    };
    Ce3Reader reader(text.c_str());
    const std::less<const char*> before;
    for (const Case& c : cases) {
        std::string_view token;
        ASSERT_GE(reader.nextToken(token), 1) << c.token;
        EXPECT_EQ(token, c.token);
        const bool inPlace =
            !before(token.data(), text.data()) && before(token.data(), text.data() + text.size());
        EXPECT_EQ(inPlace, c.inPlace) << c.token;
    }
    std::string_view end;
    EXPECT_EQ(reader.nextToken(end), -1);
}

TEST(Ce3Reader, SkipUntilDoesNotNest) {
    Ce3Reader a("A:1,+BAR,-BAR,-FOO,NEXT");
    std::string token;
    EXPECT_EQ(a.skipUntil("-FOO"), 0);
    a.readToken(token);
    EXPECT_EQ(token, "NEXT");

    Ce3Reader b("A:1,+FOO,-FOO,-FOO,NEXT");
    EXPECT_EQ(b.skipUntil("-FOO"), 0);
    b.readToken(token);
    EXPECT_EQ(token, "-FOO");

    Ce3Reader c("A:1,+FOO");
    EXPECT_EQ(c.skipUntil("-FOO"), -1);
}

TEST(AtoiField, ParsesAsAtoiAndSaturates) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"-5", -5},
        {"12abc", 12},
        {"", 0},
        {"x", 0},
        {" \t\n+7", 7},
        {"--1", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
        {"99999999999999999999999", INT32_MAX},
        {"-", 0},
        {"-0", 0},
        {"999999999", 999999999},
        {"-999999999:", -999999999},
        {"1234567890", 1234567890},
        {"0000000000012", 12},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(atoiField(c.text), c.value) << c.text;
    }
}

}  // namespace

// Only a file that holds what a conversion writes may be replaced by another conversion.
TEST(ConvertedContents, OnlyTheRecordsAConversionWrites) {
    const std::string open = "+TOVR3_DATA_V.1.0\r\n";
    const std::string close = "-TOVR3_DATA_V.1.0\r\n";
    const std::string sheet = "+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n";
    const std::vector<std::pair<std::string, bool>> cases = {
        {open + close, true},
        {open + sheet + "+WIRE,L:0,X1:1,Y1:2,X2:3,Y2:4,-WIRE\r\n" + close, true},
        // A label without its text, as earlier versions wrote it: unreadable, but ours.
        {open + sheet + "+LABEL,L:0,X:1,Y:2,D:0,S:,-LABEL\r\n" + close, true},
        {open + "+COMPONENT,L:0,X:1,Y:2,LIB:R,N:R1,-COMPONENT\r\n" + close, true},
        {open + sheet + "+PARTLIB,N:R,-PARTLIB\r\n" + close, false},  // the editor's library
        {open + "+WIRE,L:0\r\n" + close, false},                      // a record not closed
        {open + sheet, false},                                        // cut short
        {open + close + "+WIRE,-WIRE\r\n", false},                    // more after the end
        {"hello\r\n", false},
        {"\r\n", false},
    };
    for (const auto& [bytes, converted] : cases) {
        const FilePtr f = ce2test::fileStreamOf(bytes);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(holdsOnlyConvertedRecords(f.get()), converted) << bytes;
    }
}
