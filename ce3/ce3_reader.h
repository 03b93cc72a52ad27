#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Whether c ends a token: a comma, or a line end.
inline bool isCe3Delimiter(int c) {
    return c == ',' || c == '\n' || c == '\r';
}

// Splits CE3 text into tokens: skips blanks and line ends, cuts at commas and line ends,
// undoes the percent escaping and counts lines. Owns neither its stream nor its text.
class Ce3Reader {
  public:
    static constexpr std::size_t kMaxTokenBytes = 32768;

    Ce3Reader() = default;
    // Reads the stream ahead in blocks: once tokens have been read, the stream's position lies
    // past them, anywhere up to its end.
    explicit Ce3Reader(FILE* stream) : stream_(stream), lineNumber_(1) {}
    // Reads from a NUL-terminated byte string; its NUL byte is the end of input.
    explicit Ce3Reader(const char* text);
    // Reads the bytes as a file of the same bytes is read, NUL bytes included.
    explicit Ce3Reader(std::string_view bytes);
    // Tokens may point into the reader's own block: it is not copied.
    Ce3Reader(const Ce3Reader&) = delete;
    Ce3Reader& operator=(const Ce3Reader&) = delete;

    // Reads the next token into `token`. Returns the line number of its first byte, or -1 at the
    // end of input or on a broken escape (the bytes decoded before the break are left in token).
    int readToken(std::string& token);

    // As readToken, but points `token` at the decoded bytes instead of copying them: into the
    // block read ahead (or the in-memory text) when the token lies there whole and holds no
    // escape, else into a buffer of the reader's. The view is valid until the next read.
    int nextToken(std::string_view& token) {
        // Most tokens begin at once and end in the block with a delimiter: taken here, inline.
        const char* const begin = bytes() + block_.pos;
        const std::size_t available = block_.end - block_.pos;
        if (available == 0 || kBlank[static_cast<unsigned char>(*begin)]) {
            return readAnyToken(token);
        }
        const std::size_t limit = available < kMaxTokenBytes ? available : kMaxTokenBytes;
        const std::size_t n = plainRun(begin, limit);
        if (n == limit || begin[n] == '%') {
            return readAnyToken(token);
        }
        const int start = lineNumber_;
        token = std::string_view(begin, n);
        block_.pos += n + 1;
        if (begin[n] == '\n') {
            countLine();
        }
        return start;
    }

    // Reads tokens until one equals `closer`: 0 when found, -1 when the input ends first.
    int skipUntil(std::string_view closer);

    int32_t lineNumber() const { return lineNumber_; }

    // The bytes not yet taken: [pos, end) of the stream's read-ahead data, or of the whole
    // in-memory text. The data is kept in the reader itself rather than on the heap.
    struct Block {
        static constexpr std::size_t kBytes = 16384;
        std::array<char, kBytes> data;
        std::size_t pos = 0;
        std::size_t end = 0;
    };

  private:
    // Bytes skipped before a token, and bytes that end a run of plain token bytes.
    static constexpr std::array<bool, 256> kBlank = [] {
        std::array<bool, 256> table{};
        table[' '] = table['\t'] = table['\n'] = table['\r'] = true;
        return table;
    }();
    static constexpr std::array<bool, 256> kSpecial = [] {
        std::array<bool, 256> table{};
        table[','] = table['\n'] = table['\r'] = table['%'] = true;
        return table;
    }();

    // The number of plain bytes from `begin`, at most `limit`.
    static std::size_t plainRun(const char* begin, std::size_t limit) {
        std::size_t n = 0;
        while (n != limit && !kSpecial[static_cast<unsigned char>(begin[n])]) {
            ++n;
        }
        return n;
    }
    // nextToken for every case: blanks first, the end of the block or of the input, escapes.
    int readAnyToken(std::string_view& token);
    // Counts a line feed; past 2^31 - 1 lines the count stays at its limit.
    void countLine() {
        if (lineNumber_ < INT32_MAX) {
            ++lineNumber_;
        }
    }
    const char* bytes() const { return stream_ != nullptr ? block_.data.data() : text_; }
    bool refill();
    int nextByte();
    // The rest of a token that crosses the end of the block or holds an escape, decoded into
    // assembled_, which already holds its first `count` bytes.
    int assembleToken(std::string_view& token, std::size_t count, int start);

    const char* text_ = nullptr;
    FILE* stream_ = nullptr;
    int32_t lineNumber_ = 0;
    std::string assembled_;
    Block block_;
};
