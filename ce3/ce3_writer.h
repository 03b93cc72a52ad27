#pragma once

#include <algorithm>
#include <array>
#include <charconv>
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
    int writeToken(std::string_view s) {
        if (const char* out = stagePlain(s, 0)) {
            staged_ = static_cast<std::size_t>(out - stage_.data());
            return 0;
        }
        return writeParts(s);
    }

    // Ends the current line with CR LF: 0 on success, -1 on failure.
    int endLine();

    // The token key:value, written as writeToken writes it.
    int writeIntField(std::string_view key, int value) {
        if (char* out = stagePlain(key, 1 + kMaxIntBytes)) {
            *out++ = ':';
            out = std::to_chars(out, out + kMaxIntBytes, value).ptr;
            staged_ = static_cast<std::size_t>(out - stage_.data());
            return 0;
        }
        return writeAnyIntField(key, value);
    }
    int writeStringField(std::string_view key, std::string_view value);

  private:
    static constexpr std::size_t kStagedBytes = 4096;
    static constexpr std::size_t kShortBytes = 16;
    // The most bytes of a decimal int: a sign and ten digits.
    static constexpr std::size_t kMaxIntBytes = 11;
    // Bytes written as %XX (the control characters, the space, the percent sign and the comma),
    // and the NUL byte, which ends a token's text.
    static constexpr std::array<bool, 256> kSpecial = [] {
        std::array<bool, 256> table{};
        for (std::size_t b = 0x00; b <= 0x20; ++b) {
            table[b] = true;
        }
        table['%'] = table[','] = true;
        return table;
    }();

    // The common case, taken inline: on a stream, with room on the line, stages the separator when
    // one is due and the bytes of `s`, a short text without a byte to escape, and returns where
    // `more` bytes of the token may follow. Null, with nothing staged, in any other case.
    char* stagePlain(std::string_view s, std::size_t more) {
        if (stream_ == nullptr || s.size() > kShortBytes ||
            stage_.size() - staged_ < 1 + kShortBytes + more) {
            return nullptr;
        }
        for (const char ch : s) {
            if (kSpecial[static_cast<unsigned char>(ch)]) {
                return nullptr;
            }
        }
        char* out = stage_.data() + staged_;
        if (!atLineStart_) {
            *out++ = ',';
        }
        atLineStart_ = false;
        return std::copy(s.begin(), s.end(), out);
    }
    // Writes the bytes of part to out escaped, up to its first NUL, which sets `ended`; returns the
    // end of what it wrote. Out has room for every byte of part escaped.
    static char* escapeInto(char* out, std::string_view part, bool& ended);
    // writeIntField for every key and target.
    int writeAnyIntField(std::string_view key, int value);

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
