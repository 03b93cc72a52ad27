#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "ce3/record_names.h"
#include "platform/uninitialised_array.h"

// Writes CE3 lines: tokens joined by single commas, each token percent-escaped, every line
// ended by CR LF. Owns neither its stream nor its text target.
//
// A text target receives every token, and every record, as soon as it is written. A stream
// receives the bytes in blocks of kStreamBlockBytes, handed on when the writer's staging area is
// full, on flush() and when the writer is destroyed: few write calls for a large file. A write
// that fails makes the call that handed the bytes on fail, and every later call; the bytes
// written after it are dropped. The stream's error flag keeps the failure as well. Each block
// written to the stream is shown to `handedOn` too, when given.
class Ce3Writer {
  public:
    static constexpr std::size_t kStreamBlockBytes = std::size_t{1} << 16;

    // A field of a record: its key and an int, or a text, which is escaped up to its first NUL.
    struct IntField {
        const Ce3Key& key;
        int32_t value;
    };
    struct TextField {
        const Ce3Key& key;
        std::string_view value;
    };
    static IntField field(const Ce3Key& key, int32_t value) { return {key, value}; }
    static TextField field(const Ce3Key& key, std::string_view value) { return {key, value}; }

    // Writes nowhere: every write fails.
    Ce3Writer() = default;
    using HandedOn = std::function<void(std::string_view block)>;
    explicit Ce3Writer(FILE* stream, HandedOn handedOn = {});
    // Appends to `text` instead of a file.
    explicit Ce3Writer(std::string* text);
    Ce3Writer(const Ce3Writer&) = delete;
    Ce3Writer& operator=(const Ce3Writer&) = delete;
    // Hands what it holds on to the stream.
    ~Ce3Writer();

    // Hands what the writer holds on to the stream: 0 on success, -1 when a write failed (now or
    // before) or without a target.
    int flush();

    // Writes one byte: the byte (0..255) on success, -1 on failure or without a target.
    int putChar(int c);

    // Writes one token (up to its first NUL byte), preceded by a comma unless it is the first on
    // its line. 0 on success, -1 when the bytes cannot be written.
    int writeToken(std::string_view s) {
        if (char* out = stagePlain(s, 0)) {
            return endToken(out);
        }
        return writeParts(s);
    }

    // Ends the current line with CR LF: 0 on success, -1 on failure.
    int endLine();

    // The token key:value, written as writeToken writes it.
    int writeIntField(std::string_view key, int value) {
        if (char* out = stagePlain(key, 1 + kMaxIntBytes)) {
            *out++ = ':';
            return endToken(putInt(out, value));
        }
        return writeAnyIntField(key, value);
    }
    int writeStringField(std::string_view key, std::string_view value);

    // Writes a whole record line: the opening token of `name`, the fields (made by field()) in
    // order, the closing token and CR LF; the bytes that writeToken, writeIntField,
    // writeStringField and endLine write for them, put in one pass with one check for room.
    // 0 on success, -1 on failure.
    template <typename... Fields>
    int writeRecord(const Ce3RecordName& name, const Fields&... fields) {
        const std::size_t most = kRecordBytes + (mostBytes(fields) + ... + 0);
        char* out = room(most);
        if (out == nullptr) {
            return writeRecordByTokens(name, fields...);
        }
        if (!atLineStart_) {
            *out++ = ',';
        }
        out = name.copyOpen(out);
        ((out = put(out, fields)), ...);
        *out++ = ',';
        out = name.copyClose(out);
        out[0] = '\r';
        out[1] = '\n';
        atLineStart_ = true;
        return endToken(out + 2);
    }

  private:
    static constexpr std::size_t kTextStageBytes = 4096;
    static constexpr std::size_t kShortBytes = 16;
    // The most bytes of a decimal int: a sign and ten digits.
    static constexpr std::size_t kMaxIntBytes = 11;
    // The most bytes that one byte of a token becomes.
    static constexpr std::size_t kMaxEscapedBytes = 3;
    // The room a record line needs beside its fields: a separator, the tokens that open and close
    // it, each copied as a block of Ce3RecordName::kCapacity bytes, their comma and CR LF.
    static constexpr std::size_t kRecordBytes = 2 * Ce3RecordName::kCapacity + 4;
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
    // The numbers below kSmallNumbers, the coordinates and values that drawings are made of, each
    // in kSmallNumberBytes: its decimal digits in the first four bytes (padded), their count in
    // the fifth.
    static constexpr std::size_t kSmallNumbers = 10000;
    static constexpr std::size_t kSmallNumberBytes = 5;
    static const std::array<char, kSmallNumbers * kSmallNumberBytes> kSmallNumberDigits;

    // Writes the decimal digits of v, after a minus sign when it is negative, to out, which has
    // room for kMaxIntBytes; returns their end. As std::to_chars writes them; the small numbers
    // from a table.
    static char* putInt(char* out, int32_t v) {
        auto u = static_cast<uint32_t>(v);
        if (v < 0) {
            *out++ = '-';
            u = 0u - u;
        }
        if (u >= kSmallNumbers) {
            return std::to_chars(out, out + kMaxIntBytes - 1, u).ptr;
        }
        const char* const digits = &kSmallNumberDigits[kSmallNumberBytes * u];
        std::memcpy(out, digits, 4);
        return out + digits[4];
    }

    // The most bytes that a field takes on a record line: its key block and its value escaped.
    // A text too long for any staging area counts as longer than all of them.
    static std::size_t mostBytes(const IntField&) { return Ce3Key::kCapacity + kMaxIntBytes; }
    static std::size_t mostBytes(const TextField& f) {
        return Ce3Key::kCapacity + kMaxEscapedBytes * std::min(f.value.size(), kStreamBlockBytes);
    }
    static char* put(char* out, const IntField& f) { return putInt(f.key.copyTo(out), f.value); }
    static char* put(char* out, const TextField& f) {
        bool ended = false;
        return escapeInto(f.key.copyTo(out), f.value, ended);
    }

    // writeRecord for a line that does not fit the staging area, or for a writer that has failed
    // or has no target: token by token.
    template <typename... Fields>
    int writeRecordByTokens(const Ce3RecordName& name, const Fields&... fields) {
        int r = writeToken(name.open());
        ((r |= writeField(fields)), ...);
        r |= writeToken(name.close());
        r |= endLine();
        return r < 0 ? -1 : 0;
    }
    int writeField(const IntField& f) { return writeIntField(f.key.name(), f.value); }
    int writeField(const TextField& f) { return writeStringField(f.key.name(), f.value); }

    // Where `bytes` more bytes may be staged: at once when they fit, else after handing the staged
    // ones on. Null when they never fit, when a write failed, or without a target.
    char* room(std::size_t bytes) {
        if (capacity_ - staged_ >= bytes && !failed_) {
            return stage_.get() + staged_;
        }
        return roomAfterHandingOn(bytes);
    }
    char* roomAfterHandingOn(std::size_t bytes);

    // The common case, taken inline: with room on the line, stages the separator when one is due
    // and the bytes of `s`, a short text without a byte to escape, and returns where `more` bytes
    // of the token may follow. Null, with nothing staged, in any other case.
    char* stagePlain(std::string_view s, std::size_t more) {
        if (s.size() > kShortBytes || capacity_ - staged_ < 1 + kShortBytes + more) {
            return nullptr;
        }
        for (const char ch : s) {
            if (kSpecial[static_cast<unsigned char>(ch)]) {
                return nullptr;
            }
        }
        char* out = stage_.get() + staged_;
        if (!atLineStart_) {
            *out++ = ',';
        }
        atLineStart_ = false;
        return std::copy(s.begin(), s.end(), out);
    }
    // The top bit of each byte of w that lies at or below the comma (0x2C), as every byte that
    // kSpecial marks does: a word without one is copied as it is. Exact up to the first such byte
    // in memory order on a little-endian machine: a byte of 0x80 and above never counts, and a
    // borrow into the next byte starts only at a byte that does.
    template <typename Word>
    static Word belowComma(Word w) {
        constexpr Word kOnes = ~Word{0} / 0xFF;
        return (w - kOnes * 0x2D) & ~w & (kOnes * 0x80);
    }
    template <typename Word>
    static bool mayNeedEscape(Word w) {
        return belowComma(w) != 0;
    }
    // Copies the text of n bytes, one to two words long, as two words that overlap when no byte
    // of them may need escape; false, with nothing written, when one may.
    template <typename Word>
    static bool copyPlain(char* out, const char* from, std::size_t n) {
        Word first;
        Word last;
        std::memcpy(&first, from, sizeof(Word));
        std::memcpy(&last, from + n - sizeof(Word), sizeof(Word));
        if (mayNeedEscape(first) || mayNeedEscape(last)) {
            return false;
        }
        std::memcpy(out, &first, sizeof(Word));
        std::memcpy(out + n - sizeof(Word), &last, sizeof(Word));
        return true;
    }
    // Writes the bytes of part to out escaped, up to its first NUL, which sets `ended`; returns the
    // end of what it wrote. Out has room for every byte of part escaped. The common field, a text
    // of 4 to 16 bytes that needs no escape, is copied whole, as two words.
    static char* escapeInto(char* out, std::string_view part, bool& ended) {
        const std::size_t n = part.size();
        if (n == 0) {
            return out;
        }
        if (n >= 4 && n <= 8 && copyPlain<uint32_t>(out, part.data(), n)) {
            return out + n;
        }
        if (n > 8 && n <= 16 && copyPlain<uint64_t>(out, part.data(), n)) {
            return out + n;
        }
        return escapeSlowly(out, part, ended);
    }
    // escapeInto for every text: a word at a time, the bytes up to the first that may need escape
    // copied as they are, that one escaped on its own.
    static char* escapeSlowly(char* out, std::string_view part, bool& ended);
    // Writes one byte of a text, escaped when kSpecial marks it; a NUL writes nothing and sets
    // `ended`.
    static char* escapeByte(char* out, char byte, bool& ended);
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
    // Ends the token, or record, whose bytes end at `out`; a text target receives it now.
    int endToken(const char* out) {
        staged_ = static_cast<std::size_t>(out - stage_.get());
        if (text_ != nullptr) {
            return handOn();
        }
        return failed_ ? -1 : 0;
    }
    // Stages the bytes of part escaped, up to its first NUL: -1 when staged bytes could not be
    // handed on to make room, 1 when part ended at a NUL (which ends the whole token), else 0.
    int stageEscaped(std::string_view part);
    // Room for `bytes` more staged bytes, handing the staged ones on first when needed; null when
    // that fails.
    char* reserve(std::size_t bytes);
    // Hands the staged bytes to the target: 0, or -1 when they could not be written now or
    // before.
    int handOn();

    FILE* stream_ = nullptr;
    HandedOn handedOn_;
    std::string* text_ = nullptr;
    bool atLineStart_ = true;
    bool failed_ = false;  // a write to the stream failed: later bytes are dropped
    std::size_t staged_ = 0;
    std::size_t capacity_ = 0;
    UninitialisedArray<char> stage_;
};
