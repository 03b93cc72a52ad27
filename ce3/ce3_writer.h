#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <string_view>

// Writes CE3 lines: tokens joined by single commas, each token percent-escaped, every line
// ended by CR LF. Owns neither its stream nor its text target.
//
// A text target receives every token as soon as it is written. A stream receives each line in
// one write when the line ends (or when the line outgrows the writer's staging area, before a
// putChar, and when the writer is destroyed), so that a write failure shows in the result of
// that call; the stream's error flag keeps it as well.
class Ce3Writer {
  public:
    Ce3Writer() = default;
    explicit Ce3Writer(FILE* stream) : stream_(stream) {}
    // Appends to `text` instead of a file.
    explicit Ce3Writer(std::string* text) : text_(text) {}
    Ce3Writer(const Ce3Writer&) = delete;
    Ce3Writer& operator=(const Ce3Writer&) = delete;
    // Hands an unfinished line to the stream.
    ~Ce3Writer();

    // Writes one byte: the byte (0..255) on success, -1 on failure or without a target.
    int putChar(int c);

    // Writes one token (up to its first NUL byte), preceded by a comma unless it is the first on
    // its line. 0 on success, -1 when the bytes cannot be written.
    int writeToken(std::string_view s);

    // Ends the current line with CR LF: 0 on success, -1 on failure.
    int endLine();

    // The token key:value, written as writeToken writes it.
    int writeIntField(std::string_view key, int value);
    int writeStringField(std::string_view key, std::string_view value);

  private:
    static constexpr std::size_t kStagedBytes = 4096;

    // Writes the token made of the parts one after the other, up to the first NUL byte.
    int writeParts(std::string_view first, std::string_view second = {},
                   std::string_view third = {});
    // A token too long for the staging area, staged in pieces.
    int writeLongToken(std::string_view first, std::string_view second, std::string_view third);
    // Starts a token of at most `most` bytes: stages its separator when one is due and returns
    // where its bytes go, with room for them; null when that room cannot be made.
    char* beginToken(std::size_t most);
    // Ends the token whose bytes end at `out`; a text target receives it now.
    int endToken(const char* out);
    // Stages the bytes of part escaped, up to its first NUL: -1 when staged bytes could not be
    // handed on to make room, 1 when part ended at a NUL (which ends the whole token), else 0.
    int stageEscaped(std::string_view part);
    // Room for `bytes` more staged bytes, handing the staged ones on first when needed; null when
    // that fails.
    char* reserve(std::size_t bytes);
    // Hands the staged bytes to the target: 0, or -1 when they could not be written.
    int handOn();

    FILE* stream_ = nullptr;
    std::string* text_ = nullptr;
    bool atLineStart_ = true;
    std::size_t staged_ = 0;
    std::array<char, kStagedBytes> stage_;
};
