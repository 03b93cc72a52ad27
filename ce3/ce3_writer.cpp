#include "ce3/ce3_writer.h"

#include <array>
#include <charconv>

#include "platform/stdio_unlocked.h"

namespace {

// Bytes written as %XX: the control characters, the space, the percent sign and the comma.
constexpr std::array<bool, 256> makeEscapeTable() {
    std::array<bool, 256> table{};
    for (std::size_t b = 0x01; b <= 0x20; ++b) {
        table[b] = true;
    }
    table['%'] = true;
    table[','] = true;
    return table;
}

constexpr std::array<bool, 256> kEscaped = makeEscapeTable();

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Byte sinks for the token loop: each takes one byte and tells whether it was written.
struct StreamSink {
    FILE* stream;
    bool operator()(unsigned char b) const { return putByteUnlocked(b, stream) != EOF; }
};

struct TextSink {
    std::string* text;
    bool operator()(unsigned char b) const {
        text->push_back(static_cast<char>(b));
        return true;
    }
};

struct NoSink {
    bool operator()(unsigned char) const { return false; }
};

// Writes the bytes of `part` escaped, up to its first NUL. Returns -1 when a byte fails, 1 when
// the part ended at a NUL (which ends the whole token), 0 otherwise.
template <typename Sink>
int putEscaped(Sink& sink, std::string_view part) {
    for (const char ch : part) {
        const auto b = static_cast<unsigned char>(ch);
        if (kEscaped[b]) {
            if (!sink('%') || !sink(static_cast<unsigned char>(kHexDigits[b >> 4])) ||
                !sink(static_cast<unsigned char>(kHexDigits[b & 0xF]))) {
                return -1;
            }
        } else if (b == 0) {
            return 1;
        } else if (!sink(b)) {
            return -1;
        }
    }
    return 0;
}

}  // namespace

int Ce3Writer::putChar(int c) {
    if (stream_ != nullptr) {
        return putByteUnlocked(c, stream_);
    }
    if (text_ != nullptr) {
        const auto byte = static_cast<unsigned char>(c);
        text_->push_back(static_cast<char>(byte));
        return byte;
    }
    return -1;
}

template <typename Sink>
int Ce3Writer::writeParts(Sink sink, std::string_view first, std::string_view second,
                          std::string_view third) {
    if (atLineStart_) {
        atLineStart_ = false;
    } else if (!sink(',')) {
        return -1;
    }
    int r = putEscaped(sink, first);
    if (r == 0 && !second.empty()) {
        r = putEscaped(sink, second);
    }
    if (r == 0 && !third.empty()) {
        r = putEscaped(sink, third);
    }
    return r < 0 ? -1 : 0;
}

int Ce3Writer::writeParts(std::string_view first, std::string_view second, std::string_view third) {
    if (stream_ != nullptr) {
        return writeParts(StreamSink{stream_}, first, second, third);
    }
    if (text_ != nullptr) {
        return writeParts(TextSink{text_}, first, second, third);
    }
    return writeParts(NoSink{}, first, second, third);
}

int Ce3Writer::writeToken(std::string_view s) {
    return writeParts(s);
}

int Ce3Writer::endLine() {
    atLineStart_ = true;
    if (putChar('\r') < 0 || putChar('\n') < 0) {
        return -1;
    }
    return 0;
}

int Ce3Writer::writeIntField(std::string_view key, int value) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return writeParts(key, ":", std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

int Ce3Writer::writeStringField(std::string_view key, std::string_view value) {
    return writeParts(key, ":", value);
}
