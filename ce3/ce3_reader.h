#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

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

    // Reads the next token into `token`. Returns the line number of its first byte, or -1 at the
    // end of input or on a broken escape.
    int readToken(std::string& token);

    // Reads tokens until one equals `closer`: 0 when found, -1 when the input ends first.
    int skipUntil(const std::string& closer);

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
    const char* text_ = nullptr;
    FILE* stream_ = nullptr;
    int32_t lineNumber_ = 0;
    Block block_;
};
