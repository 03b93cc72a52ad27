#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ce2/ce2_reader.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"
#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "ce3/converted_contents.h"
#include "ce3/record_names.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/tag.h"
#include "platform/files.h"
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

// A text as a token holds it, escaped byte by byte: up to its first NUL, with the bytes up to the
// space, '%' and ',' as %XX.
std::string escapedByteByByte(std::string_view text) {
    std::string out;
    for (const char c : text.substr(0, text.find('\0'))) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == '%' || b == ',') {
            out += '%';
            out += "0123456789ABCDEF"[b >> 4];
            out += "0123456789ABCDEF"[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

// The writer copies texts a word at a time: a NUL or a byte to escape at every place of a text of
// up to three words, beside bytes just above and below those (0x21 to 0x2C take a slower road
// without being escaped), and texts drawn at random from such bytes, come out as escaping byte by
// byte gives them, in a field and in a record.
TEST(Ce3Writer, TextsEscapedAsByteByByte) {
    const std::string edgeBytes("\0\x01 !%+,-\x7F\x80\xFF", 11);
    std::vector<std::string> texts;
    for (std::size_t n = 1; n <= 24; ++n) {
        for (std::size_t at = 0; at < n; ++at) {
            for (const char b : edgeBytes) {
                texts.emplace_back(n, 'a');
                texts.back()[at] = b;
            }
        }
    }
    uint32_t state = 2024;
    const auto next = [&state](uint32_t below) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % below;
    };
    for (int i = 0; i < 3000; ++i) {
        std::string text(next(40), 'x');
        for (char& c : text) {
            c = next(3) == 0 ? edgeBytes[next(static_cast<uint32_t>(edgeBytes.size()))]
                             : static_cast<char>('a' + next(26));
        }
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const std::string expected = "S:" + escapedByteByByte(text);
        std::string field;
        Ce3Writer(&field).writeStringField("S", text);
        EXPECT_EQ(field, expected) << ::testing::PrintToString(text);
        std::string record;
        Ce3Writer(&record).writeRecord(kCe3Label, Ce3Writer::field(kCe3KeyText, text));
        EXPECT_EQ(record, "+LABEL," + expected + ",-LABEL\r\n") << ::testing::PrintToString(text);
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

namespace {

// What a conversion writes for a drawing with every kind of element: the CE2 reader and the
// document's writer, as a conversion runs them.
std::string convertedDrawing() {
    using namespace ce2build;
    const std::string ce2 =
        header({.sizeIndex = 2}) + junction(0x10, 100, 100) + entry(0x02, 200, 200) +
        line(kBus, 0, 10, 20, 300, 20) + line(kWire, 0, 10, 60, 10, 300) +
        line(kDash, 0, 10, 60, 10, 300) + label({.x = 50, .y = 80, .text = "A 1"}) +
        tag({.flags = 1, .x = 70, .y = 90, .text = "IN"}) +
        component({.x = 400, .y = 400, .name = "U1", .reference = "74LS00", .library = "74"}) +
        comment({.x = 120, .y = 340, .sizeClass = 1, .text = "\x95\xe2\x91\xab"});
    const FilePtr f = ce2test::fileStreamOf(ce2);
    SchDocument doc;
    EXPECT_EQ(readCe2File(f.get(), doc, ConversionOptions{}), 9);
    std::string text;
    Ce3Writer writer(&text);
    doc.writeFile(writer);
    return text;
}

// Records that the element writers make of extreme values: texts of every byte but NUL, the ends
// of the int range, every comment style.
std::string extremeRecords() {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) {
        everyByte.push_back(static_cast<char>(b));
    }
    SchComment comment;
    comment.layer = INT32_MIN;
    comment.p1 = SchPoint(INT32_MIN, INT32_MAX);
    comment.text = everyByte;
    comment.fontName = everyByte;
    comment.bold = comment.italic = comment.underline = comment.strikeOut = true;
    SchComponent component;
    component.p1 = SchPoint(-1, 0);
    component.libraryName = component.name = component.reference = everyByte;
    component.direction = INT32_MAX;
    component.block = INT32_MIN;
    component.namePos = SchPoint(INT32_MIN, -10);
    SchTag tag;
    tag.text = everyByte;
    tag.tagType = -3;
    std::string text;
    Ce3Writer writer(&text);
    comment.writeCe3(writer, nullptr);
    component.writeCe3(writer, nullptr);
    tag.writeCe3(writer, nullptr);
    return text;
}

ContentsCheck checkBytes(const std::string& bytes) {
    return checkConvertedContents(bytes);
}

// The text with each CR LF made a LF.
std::string lineFeedsOnly(std::string text) {
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.erase(at, 1);
    }
    return text;
}

// The line of the byte at `offset`.
int32_t lineAt(const std::string& text, std::size_t offset) {
    return static_cast<int32_t>(std::count(text.begin(), text.begin() + offset, '\n')) + 1;
}

}  // namespace

// Only a file that holds what a conversion writes may be replaced by another conversion; of any
// other, the first thing a conversion does not write is found, with its line.
TEST(ConvertedContents, OnlyWhatAConversionWrites) {
    const std::string open = "+TOVR3_DATA_V.1.0\r\n";
    const std::string close = "-TOVR3_DATA_V.1.0\r\n";
    const std::string sheet = "+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n";
    const std::string converted = convertedDrawing();
    ASSERT_EQ(converted.substr(0, open.size()), open);
    // The drawing's lines: 1 the magic line, 2 the sheet, 3 to 11 the elements in their order.
    const auto edited = [&](const std::string& from, const std::string& to) {
        const std::size_t at = converted.find(from);
        EXPECT_NE(at, std::string::npos) << from << " in\n" << converted;
        return at == std::string::npos ? std::string()
                                       : std::string(converted).replace(at, from.size(), to);
    };
    const std::string component = "+COMPONENT,L:0,X:400,Y:400,LIB:74,DIR:0,BLK:0,N:U1";
    const std::string withoutClose = converted.substr(0, converted.size() - close.size());
    const std::string half = converted.substr(0, converted.size() / 2);
    using F = ContentsFinding;
    const struct {
        std::string bytes;
        ContentsFinding finding;
        int32_t line;
    } cases[] = {
        {converted, F::Converted, 0},
        {open + sheet + "+WIRE,L:0,X1:1,Y1:2,X2:3,Y2:4,-WIRE\r\n" + close, F::Converted, 0},
        // A label without its text, as earlier versions wrote it: unreadable, but ours.
        {open + sheet + "+LABEL,L:0,X:1,Y:2,D:0,S:,-LABEL\r\n" + close, F::Converted, 0},
        // Line ends, blanks before a token and escapes the writer does not need are the same data.
        {edited("\r\n+SHEETINFO", "\n  +SHEETINFO"), F::Converted, 0},
        {lineFeedsOnly(converted), F::Converted, 0},
        // Records on one line, a comma between them; a line end in a text ends its token.
        {open + sheet.substr(0, sheet.size() - 2) + ",+JUNCTION,L:0,X:1,Y:2,-JUNCTION\r\n" +
             "+PARTLIB,N:R,-PARTLIB\r\n" + close,
         F::EditorRecord, 3},
        {edited("N:U1", "N:U\n1"), F::UnknownField, 11},
        {lineFeedsOnly(edited(",-COMMENT", ",PKG:DIP,-COMMENT")), F::UnknownField, 11},
        {edited("N:U1", "N:%55%31"), F::Converted, 0},
        {edited("X:400", "X:-2147483648"), F::Converted, 0},
        {edited("FF:", "FF:BIUS"), F::Converted, 0},
        {converted + "\r\n \r\n", F::Converted, 0},
        {open + sheet + extremeRecords() + close, F::Converted, 0},
        // The editor's records, and fields a conversion does not write.
        {open + sheet + "+PARTLIB,N:R,-PARTLIB\r\n" + close, F::EditorRecord, 3},
        {edited(",-COMPONENT", ",PKG:DIP,-COMPONENT"), F::UnknownField, 10},
        {edited(",-COMPONENT", ",+PIN,-PIN,-COMPONENT"), F::UnknownField, 10},
        {edited(",-COMPONENT", ",RY:0,-COMPONENT"), F::UnknownField, 10},  // a field twice
        {edited(",LIB:74,", ",LIB:74,,"), F::UnknownField, 10},
        {edited(",DIR:0,", ","), F::MissingField, 10},
        {edited(",-JUNCTION", ""), F::MissingField, 3},  // its closer in the next record
        {open + sheet + "+WIRE,L:0\r\n" + close, F::MissingField, 3},
        {open + "+COMPONENT,L:0,X:1,Y:2,LIB:R,N:R1,-COMPONENT\r\n" + close, F::NoSheetInfo, 2},
        {edited("L:0,X:400,Y:400", "L:0,Y:400,X:400"), F::MisorderedField, 10},
        {edited("EL:0,VL:0", "VL:0,EL:0"), F::MisorderedField, 2},
        // Values in another form than the writer's.
        {edited("X:400", "X:0400"), F::UnwrittenValue, 10},
        {edited("X:400", "X:+400"), F::UnwrittenValue, 10},
        {edited("X:400", "X:-0"), F::UnwrittenValue, 10},
        {edited("X:400", "X:"), F::UnwrittenValue, 10},
        {edited("X:400", "X:4e2"), F::UnwrittenValue, 10},
        {edited("X:400", "X:2147483648"), F::UnwrittenValue, 10},
        {edited("X:400", "X:-2147483649"), F::UnwrittenValue, 10},
        {edited("FF:", "FF:IB"), F::UnwrittenValue, 11},
        {edited("FF:", "FF:BB"), F::UnwrittenValue, 11},
        {edited("FF:", "FF:b"), F::UnwrittenValue, 11},
        {edited("N:U1", "N:U%001"), F::UnwrittenValue, 10},  // a NUL, which ends a written text
        {edited("N:U1", "N:U%G1"), F::UnwrittenValue, 10},
        // One sheet information record, first.
        {edited("-SHEETINFO\r\n", "-SHEETINFO\r\n" + sheet), F::SecondSheetInfo, 3},
        {edited(close, sheet + close), F::SecondSheetInfo, 12},
        {open + close, F::NoSheetInfo, 2},
        {edited(sheet.substr(0, 10), "+JUNCTION,L:0,X:1,Y:2,-JUNCTION\r\n" + sheet.substr(0, 10)),
         F::NoSheetInfo, 2},
        // Nothing after the closing line.
        {converted + "+WIRE,L:0,X1:1,Y1:2,X2:3,Y2:4,-WIRE\r\n", F::AfterClosingLine, 13},
        {open + sheet + close + "+WIRE,-WIRE\r\n", F::AfterClosingLine, 4},
        {withoutClose + "-TOVR3_DATA_V.1.0,x\r\n", F::AfterClosingLine, 12},
        // Not CE3.
        {"hello\r\n", F::NotCe3, 1},
        {"\r\n", F::NotCe3, 1},
        {"+TOVR3_DATA_V.1.1\r\n" + converted.substr(open.size()), F::NotCe3, 1},
        // Cut short: in a token, between records, in the magic line, in an escape.
        {half, F::CutShort, lineAt(converted, half.size())},
        {withoutClose, F::CutShort, 11},
        {withoutClose + "-TOVR3_DATA", F::CutShort, 12},
        {open + sheet, F::CutShort, 2},
        {open.substr(0, 9), F::CutShort, 1},
        {edited("N:U1", "N:U%3").substr(0, converted.find("N:U1") + 5), F::CutShort, 10},
        // Damaged: NUL bytes where the rest was lost, a byte order mark, a broken escape.
        {half + std::string(converted.size() - half.size(), '\0'), F::NulBytes,
         lineAt(converted, half.size())},
        {std::string(4096, '\0'), F::NulBytes, 1},
        {converted + std::string(512, '\0'), F::NulBytes, 13},
        {"\xEF\xBB\xBF" + converted, F::ByteOrderMark, 1},
        {edited("N:U1", "N:U%3,"), F::BrokenEscape, 10},
        {edited("FF:", "FF:%4\r\n"), F::BrokenEscape, 11},
    };
    for (const auto& c : cases) {
        const ContentsCheck check = checkBytes(c.bytes);
        EXPECT_EQ(check.finding, c.finding) << c.bytes;
        EXPECT_EQ(check.line, c.line) << c.bytes;
    }
}

// A token cut by the end of a block read is joined whole, escapes and line ends included, and
// the lines after it counted, wherever that end falls in it.
TEST(ConvertedContents, TokensAcrossTheBlocksRead) {
    const std::string head = "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n";
    // A label whose lines end in LF alone, then a junction on line 5.
    const std::string label = "+LABEL,L:0,X:-12,Y:2,D:0,S:a%2Cb%20c,-LABEL\n";
    const std::string broken = "+LABEL,L:0,X:-12,Y:2,D:0,S:a%2\nb,-LABEL\n";
    const std::string junction = "+JUNCTION,L:0,X:1,Y:2,-JUNCTION\r\n";
    const std::string close = "-TOVR3_DATA_V.1.0\r\n";
    constexpr std::size_t kBlock = 65536;
    for (std::size_t before = 1; before <= label.size(); ++before) {
        // A comment as long as it takes for the block to end `before` bytes into the label.
        const std::string start = "+COMMENT,L:0,X:1,Y:2,S:";
        const std::string end = ",FN:,FS:16,FF:,-COMMENT\r\n";
        const std::string comment =
            start + std::string(kBlock - before - head.size() - start.size() - end.size(), 'a') +
            end;
        ASSERT_EQ(head.size() + comment.size() + before, kBlock);
        const std::string text = head + comment + label;
        const struct {
            std::string bytes;
            ContentsFinding finding;
            int32_t line;
        } cases[] = {
            {text + junction + close, ContentsFinding::Converted, 0},
            {head + comment + broken + junction + close, ContentsFinding::BrokenEscape, 4},
            {text + "+JUNCTION,L:0,X:01,Y:2,-JUNCTION\r\n" + close, ContentsFinding::UnwrittenValue,
             5},
            {text, ContentsFinding::CutShort, 4},
        };
        for (const auto& c : cases) {
            const ContentsCheck check = checkBytes(c.bytes);
            EXPECT_EQ(check.finding, c.finding) << before << ": " << c.bytes.substr(kBlock - 60);
            EXPECT_EQ(check.line, c.line) << before << ": " << c.bytes.substr(kBlock - 60);
        }
    }
}
