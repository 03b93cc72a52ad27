#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "ce3/record_names.h"
#include "platform/files.h"

namespace {

struct Token {
    std::string text;
    int line;
    bool operator==(const Token&) const = default;
};

// Every result up to the end of the input, going on after broken escapes (each consumes bytes);
// the end shows as -1 ten times in a row.
std::vector<Token> tokensFrom(Ce3Reader& reader) {
    std::vector<Token> out;
    std::string token;
    for (int ends = 0; ends < 10;) {
        const int line = reader.readToken(token);
        out.push_back({token, line});  // a broken escape leaves what it read in the token
        ends = line < 0 ? ends + 1 : 0;
    }
    return out;
}

std::vector<Token> streamTokens(const std::string& bytes) {
    const FilePtr f(std::tmpfile());
    EXPECT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
    Ce3Reader reader(f.get());
    return tokensFrom(reader);
}

std::vector<Token> textTokens(const std::string& bytes) {
    Ce3Reader reader(bytes.c_str());
    return tokensFrom(reader);
}

constexpr std::size_t kBlock = Ce3Reader::Block::kBytes;

// `tail` placed so that it straddles the end of the reader's first block.
std::string atBlockEnd(const std::string& tail, std::size_t before) {
    return std::string(kBlock - before, 'a') + tail;
}

// The stream reader reads ahead in blocks and refills them as they run out; an in-memory text is
// one block. Where the stream's blocks end must not change how an input splits.
TEST(Ce3StreamReader, SplitsLikeTheTextReader) {
    std::vector<std::string> inputs = {
        "",
        " \r\n\t",
        "+JUNCTION,L:0,X:120,Y:80,-JUNCTION\r\n",
        "A,,B\r\n,C,\nD",
        "S:a%20b%2C%25%0a,%4a%zz,x",
        "%4",
        "ab%4,cd",
        "ab%",
        std::string(40000, 'x') + ",y\r\n",
        std::string(32768, 'x') + "%41,y",
        std::string(32768, 'x') + "\r\nz",
        atBlockEnd("%41,b", 1),
        atBlockEnd("%41,b", 2),
        atBlockEnd("\r\nnext", 1),
        atBlockEnd(",\n\n, x", 1),
        atBlockEnd("%4", 2),
        std::string(kBlock, ' ') + "late\n",
    };
    // Random bytes rich in delimiters, blanks and escapes, over several blocks; never a NUL,
    // which ends the text reader's input.
    uint32_t state = 12345;
    std::string mixed;
    const std::string alphabet = "ab:%%,,\r\n \t0123456789AFZ-+\x80\xFF";
    for (std::size_t i = 0; i < 3 * kBlock; ++i) {
        state = state * 1103515245u + 12345u;
        mixed.push_back(alphabet[(state >> 16) % alphabet.size()]);
    }
    inputs.push_back(mixed);
    for (const std::string& input : inputs) {
        EXPECT_EQ(streamTokens(input), textTokens(input))
            << "input of " << input.size() << " bytes";
    }
}

TEST(Ce3StreamReader, NulIsDataInAStream) {
    const std::string bytes("a\0b,c", 5);
    const std::vector<Token> tokens = streamTokens(bytes);
    ASSERT_EQ(tokens.size(), 12u);
    EXPECT_EQ(tokens[0], (Token{std::string("a\0b", 3), 1}));
    EXPECT_EQ(tokens[1], (Token{"c", 1}));
    EXPECT_EQ(tokens[2].line, -1);
}

// Everything written to the stream so far.
std::string contentOf(FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string bytes;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) {
        bytes.append(buffer, n);
    }
    return bytes;
}

// What the same writes give a writer in memory and a writer on a stream: {memory, stream}.
std::pair<std::string, std::string> writtenInMemoryAndOnStream(
    const std::function<void(Ce3Writer&)>& write) {
    std::string text;
    Ce3Writer inMemory(&text);
    const FilePtr f(std::tmpfile());
    if (!f) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    Ce3Writer onStream(f.get());
    write(inMemory);
    write(onStream);
    EXPECT_EQ(onStream.flush(), 0);
    return {text, contentOf(f.get())};
}

// A field is one token made of its key, a colon and its value: a NUL anywhere ends all of it, on a
// stream as in memory.
TEST(Ce3Writer, FieldsEndAtTheFirstNul) {
    struct Case {
        std::string_view key;
        std::string_view value;
        std::string written;
    };
    const std::vector<Case> cases = {
        {"S", std::string_view("a b\0c d", 7), "S:a%20b,T:1\r\n"},
        {std::string_view("K\0X", 3), "v", "K,T:1\r\n"},
        {std::string_view("\0", 1), "v", ",T:1\r\n"},
    };
    for (const Case& c : cases) {
        const auto [text, fromStream] = writtenInMemoryAndOnStream([&c](Ce3Writer& w) {
            EXPECT_EQ(w.writeStringField(c.key, c.value), 0);
            EXPECT_EQ(w.writeIntField("T", 1), 0);
            EXPECT_EQ(w.endLine(), 0);
        });
        EXPECT_EQ(text, c.written);
        EXPECT_EQ(fromStream, c.written);
    }
}

// Fields of any key and length, on lines of any length, give a stream the bytes they give in
// memory, whether a line fits the writer's staging area or not.
TEST(Ce3Writer, FieldsOnAStreamAsInMemory) {
    const auto intField = [](std::string key, int value) {
        return [key, value](Ce3Writer& w) { return w.writeIntField(key, value); };
    };
    const auto stringField = [](std::string value) {
        return [value](Ce3Writer& w) { return w.writeStringField("K", value); };
    };
    std::string escapedCommas;
    for (int i = 0; i < 1365; ++i) {
        escapedCommas += "%2C";
    }
    const std::string longKey(16, 'L');
    struct Case {
        std::function<int(Ce3Writer&)> write;
        std::string written;
        int perLine;
    };
    const std::vector<Case> cases = {
        {intField("X", 0), "X:0", 1000},
        {intField("K K", INT32_MIN), "K%20K:-2147483648", 3},
        {intField("", INT32_MAX), ":2147483647", 1},
        {intField(std::string("K\0Y", 3), 5), "K", 3},
        {intField(longKey, 7), longKey + ":7", 300},
        {intField(longKey + "Q", -7), longKey + "Q:-7", 300},
        {intField("50%", 1), "50%25:1", 3},
        {stringField(std::string(4094, 'v')), "K:" + std::string(4094, 'v'), 2},
        {stringField(std::string(1365, ',')), "K:" + escapedCommas, 2},
        {stringField(std::string(32768, 'v') + std::string(1365, ',')),
         "K:" + std::string(32768, 'v') + escapedCommas, 2},
    };
    for (const Case& c : cases) {
        std::string expected = "+T";
        for (int i = 0; i < c.perLine; ++i) {
            expected += "," + c.written;
        }
        expected += ",-T\r\n";
        const auto [text, fromStream] = writtenInMemoryAndOnStream([&c](Ce3Writer& w) {
            EXPECT_EQ(w.writeToken("+T"), 0);
            for (int i = 0; i < c.perLine; ++i) {
                EXPECT_EQ(c.write(w), 0);
            }
            EXPECT_EQ(w.writeToken("-T"), 0);
            EXPECT_EQ(w.endLine(), 0);
        });
        EXPECT_EQ(text, expected) << c.written.substr(0, 20);
        EXPECT_EQ(fromStream, expected) << c.written.substr(0, 20);
    }
}

// The tokens that a record's fields make, written one by one.
int writeByTokens(Ce3Writer& w, const Ce3Writer::IntField& f) {
    return w.writeIntField(f.key.name(), f.value);
}
int writeByTokens(Ce3Writer& w, const Ce3Writer::TextField& f) {
    return w.writeStringField(f.key.name(), f.value);
}

// A record written whole, and the same record written token by token.
struct RecordWrites {
    std::function<int(Ce3Writer&)> whole;
    std::function<int(Ce3Writer&)> byTokens;
};

template <typename... Fields>
RecordWrites recordOf(const Ce3RecordName& name, Fields... fields) {
    return {[&name, fields...](Ce3Writer& w) { return w.writeRecord(name, fields...); },
            [&name, fields...](Ce3Writer& w) {
                int r = w.writeToken(name.open());
                ((r |= writeByTokens(w, fields)), ...);
                r |= w.writeToken(name.close());
                return r | w.endLine();
            }};
}

// Records give what their fields give token by token, in memory and on a stream, at a line's start
// and after a token: whether or not they fit the writer's staging area, and over as many lines as
// fill the stream's blocks several times.
TEST(Ce3Writer, RecordsAsTheirTokens) {
    using F = Ce3Writer;
    const std::string text5000(5000, 't');
    const std::string text70000 = std::string(69990, 'u') + " ,%";
    const std::string withNul("ab\0cd", 5);
    struct Case {
        const char* name;
        RecordWrites writes;
        int lines;
    };
    const std::vector<Case> cases = {
        {"numbers",
         recordOf(kCe3Junction, F::field(kCe3KeyLayer, INT32_MIN), F::field(kCe3KeyX, 9999),
                  F::field(kCe3KeyY, 10000), F::field(kCe3KeyX1, -9999),
                  F::field(kCe3KeyY1, -10000), F::field(kCe3KeyX2, INT32_MAX),
                  F::field(kCe3KeyY2, 0)),
         3000},
        {"texts",
         recordOf(kCe3Comment, F::field(kCe3KeyText, "a b,c%d"), F::field(kCe3KeyFontName, "four"),
                  F::field(kCe3KeyFontStyle, ""), F::field(kCe3KeyName, "sixteen-byte-txt"),
                  F::field(kCe3KeyDirection, "eightchr"),
                  F::field(kCe3KeyReference, "seventeen bytes, "),
                  F::field(kCe3KeyLibrary, withNul), F::field(kCe3KeyFontSize, 12)),
         2000},
        {"beyond a text's staging area", recordOf(kCe3Label, F::field(kCe3KeyText, text5000)), 30},
        {"beyond a stream's block", recordOf(kCe3Tag, F::field(kCe3KeyText, text70000)), 3},
    };
    for (const Case& c : cases) {
        // Every seventh record follows a token on its line.
        const auto lines = [&c](Ce3Writer& w, const std::function<int(Ce3Writer&)>& record) {
            for (int i = 0; i < c.lines; ++i) {
                if (i % 7 == 3) {
                    EXPECT_EQ(w.writeToken("Q"), 0);
                }
                EXPECT_EQ(record(w), 0);
            }
        };
        std::string expected;
        {
            Ce3Writer byTokens(&expected);
            lines(byTokens, c.writes.byTokens);
        }
        const auto [text, fromStream] =
            writtenInMemoryAndOnStream([&](Ce3Writer& w) { lines(w, c.writes.whole); });
        EXPECT_EQ(text, expected) << c.name;
        EXPECT_EQ(fromStream, expected) << c.name;
    }
}

// What the writer holds reaches the stream in order with a byte put on its own, and when the
// writer goes; a stream that cannot be written shows as a failed flush, and every call after it
// fails too.
TEST(Ce3Writer, StreamGetsEveryByteInOrder) {
    const FilePtr f(std::tmpfile());
    ASSERT_TRUE(f);
    {
        Ce3Writer writer(f.get());
        writer.writeToken("A");
        EXPECT_EQ(writer.putChar('x'), 'x');
        writer.writeIntField("B", -7);
        EXPECT_EQ(writer.endLine(), 0);
        writer.writeToken("unfinished");
        writer.writeToken("line");
    }
    EXPECT_EQ(contentOf(f.get()), "Ax,B:-7\r\nunfinished,line");

    const std::string path = ::testing::TempDir() + "ce3-writer-read-only";
    std::ofstream(path).put('\n');
    const FilePtr readOnly(std::fopen(path.c_str(), "rb"));
    ASSERT_TRUE(readOnly);
    Ce3Writer writer(readOnly.get());
    writer.writeToken("A");
    EXPECT_EQ(writer.endLine(), 0);
    EXPECT_EQ(writer.flush(), -1);
    EXPECT_EQ(writer.putChar('x'), -1);
    EXPECT_EQ(writer.writeToken("B"), -1);
    EXPECT_EQ(writer.writeRecord(kCe3Junction, Ce3Writer::field(kCe3KeyX, 1)), -1);
    EXPECT_EQ(writer.endLine(), -1);
    EXPECT_EQ(writer.flush(), -1);
    std::remove(path.c_str());
}

}  // namespace
