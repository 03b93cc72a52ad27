#include "ce3/ce3_writer.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The first byte of the parts taken one after the other; NUL when they are empty.
char firstByte(std::string_view first, std::string_view second, std::string_view third) {
    for (const std::string_view part : {first, second, third}) {
        if (!part.empty()) {
            return part[0];
        }
    }
    return '\0';
}

}  // namespace

constinit const std::array<char, Ce3Writer::kSmallNumbers* Ce3Writer::kSmallNumberBytes>
    Ce3Writer::kSmallNumberDigits = [] {
        std::array<char, kSmallNumbers * kSmallNumberBytes> table{};
        for (std::size_t n = 0; n < kSmallNumbers; ++n) {
            char* const entry = &table[kSmallNumberBytes * n];
            const std::size_t count = n < 10 ? 1 : n < 100 ? 2 : n < 1000 ? 3 : 4;
            for (std::size_t i = 0, rest = n; i < count; ++i, rest /= 10) {
                entry[count - 1 - i] = static_cast<char>('0' + rest % 10);
            }
            entry[4] = static_cast<char>(count);
        }
        return table;
    }();

char* Ce3Writer::escapeByte(char* out, char byte, bool& ended) {
    const auto b = static_cast<unsigned char>(byte);
    if (!kSpecial[b]) {
        *out = byte;
        return out + 1;
    }
    if (b == 0) {
        ended = true;
        return out;
    }
    out[0] = '%';
    out[1] = kHexDigits[b >> 4];
    out[2] = kHexDigits[b & 0xF];
    return out + kMaxEscapedBytes;
}

char* Ce3Writer::escapeSlowly(char* out, std::string_view part, bool& ended) {
    const char* from = part.data();
    const char* const end = from + part.size();
    constexpr std::size_t kWordBytes = sizeof(uint64_t);
    bool nul = false;
    while (!nul && static_cast<std::size_t>(end - from) >= kWordBytes) {
        uint64_t word;
        std::memcpy(&word, from, kWordBytes);
        // The whole word goes out; only its bytes before the first one to look at stay.
        std::memcpy(out, &word, kWordBytes);
        const uint64_t below = belowComma(word);
        if (below == 0) {
            out += kWordBytes;
            from += kWordBytes;
            continue;
        }
        if constexpr (std::endian::native == std::endian::little) {
            const auto plain = static_cast<std::size_t>(std::countr_zero(below) / 8);
            out += plain;
            from += plain;
        }
        out = escapeByte(out, *from++, nul);
    }
    for (; !nul && from != end; ++from) {
        out = escapeByte(out, *from, nul);
    }
    ended = nul;
    return out;
}

Ce3Writer::Ce3Writer(FILE* stream, HandedOn handedOn)
    : stream_(stream),
      handedOn_(std::move(handedOn)),
      capacity_(kStreamBlockBytes),
      stage_(makeUninitialisedArray<char>(kStreamBlockBytes)) {}

Ce3Writer::Ce3Writer(std::string* text)
    : text_(text),
      capacity_(kTextStageBytes),
      stage_(makeUninitialisedArray<char>(kTextStageBytes)) {}

Ce3Writer::~Ce3Writer() {
    handOn();
}

int Ce3Writer::handOn() {
    const std::size_t n = staged_;
    staged_ = 0;
    if (failed_) {
        return -1;
    }
    if (n == 0) {
        return 0;
    }
    if (stream_ != nullptr) {
        if (std::fwrite(stage_.get(), 1, n, stream_) != n) {
            failed_ = true;
            return -1;
        }
        if (handedOn_) {
            handedOn_({stage_.get(), n});
        }
        return 0;
    }
    text_->append(stage_.get(), n);
    return 0;
}

int Ce3Writer::flush() {
    if (stream_ == nullptr && text_ == nullptr) {
        return -1;
    }
    return handOn();
}

int Ce3Writer::putChar(int c) {
    if (stream_ == nullptr && text_ == nullptr) {
        return -1;
    }
    char* const out = reserve(1);
    if (out == nullptr) {
        return -1;
    }
    const auto byte = static_cast<unsigned char>(c);
    *out = static_cast<char>(byte);
    return endToken(out + 1) < 0 ? -1 : byte;
}

char* Ce3Writer::roomAfterHandingOn(std::size_t bytes) {
    if (bytes > capacity_ || failed_ || handOn() < 0) {
        return nullptr;
    }
    return stage_.get();
}

char* Ce3Writer::reserve(std::size_t bytes) {
    if (capacity_ - staged_ < bytes && handOn() < 0) {
        return nullptr;
    }
    return stage_.get() + staged_;
}

int Ce3Writer::stageEscaped(std::string_view part) {
    while (!part.empty()) {
        char* const out = reserve(kMaxEscapedBytes);
        if (out == nullptr) {
            return -1;
        }
        // As many bytes as surely fit, escaped or not.
        const std::size_t n = std::min(part.size(), (capacity_ - staged_) / kMaxEscapedBytes);
        bool ended = false;
        staged_ =
            static_cast<std::size_t>(escapeInto(out, part.substr(0, n), ended) - stage_.get());
        if (ended) {
            return 1;
        }
        part.remove_prefix(n);
    }
    return 0;
}

char* Ce3Writer::beginToken(std::size_t most) {
    const bool separator = !atLineStart_;
    atLineStart_ = false;
    char* out = reserve(most + 1);
    if (out != nullptr && separator) {
        *out++ = ',';
    }
    return out;
}

int Ce3Writer::writeParts(std::string_view first, std::string_view second, std::string_view third) {
    if (stream_ == nullptr && text_ == nullptr) {
        // Without a target the separator fails, or else the first byte of the token if it has one.
        const bool separator = !atLineStart_;
        atLineStart_ = false;
        return separator || firstByte(first, second, third) != '\0' ? -1 : 0;
    }
    const std::size_t most = kMaxEscapedBytes * (first.size() + second.size() + third.size());
    if (most >= capacity_) {
        return writeLongToken(first, second, third);
    }
    // The whole token fits the staging area: one pass, no further checks for room.
    char* out = beginToken(most);
    if (out == nullptr) {
        return -1;
    }
    bool ended = false;
    out = escapeInto(out, first, ended);
    if (!ended) {
        out = escapeInto(out, second, ended);
    }
    if (!ended) {
        out = escapeInto(out, third, ended);
    }
    return endToken(out);
}

int Ce3Writer::writeLongToken(std::string_view first, std::string_view second,
                              std::string_view third) {
    const char* const out = beginToken(0);
    if (out == nullptr) {
        return -1;
    }
    staged_ = static_cast<std::size_t>(out - stage_.get());
    int r = 0;
    for (const std::string_view part : {first, second, third}) {
        if ((r = stageEscaped(part)) != 0) {
            break;
        }
    }
    const int handedOn = endToken(stage_.get() + staged_);
    return r < 0 || handedOn < 0 ? -1 : 0;
}

int Ce3Writer::endLine() {
    atLineStart_ = true;
    if (stream_ == nullptr && text_ == nullptr) {
        return -1;
    }
    if (capacity_ - staged_ < 2 && handOn() < 0) {
        return -1;
    }
    char* const out = stage_.get() + staged_;
    out[0] = '\r';
    out[1] = '\n';
    return endToken(out + 2);
}

int Ce3Writer::writeAnyIntField(std::string_view key, int value) {
    const std::size_t most = kMaxEscapedBytes * key.size() + 1 + kMaxIntBytes;
    if ((stream_ == nullptr && text_ == nullptr) || most >= capacity_) {
        char digits[kMaxIntBytes];
        const char* end = std::to_chars(digits, digits + kMaxIntBytes, value).ptr;
        return writeParts(key, ":",
                          std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    // Neither the colon nor the digits and sign are ever escaped: they go in as they are.
    char* out = beginToken(most);
    if (out == nullptr) {
        return -1;
    }
    bool ended = false;
    out = escapeInto(out, key, ended);
    if (!ended) {
        *out++ = ':';
        out = std::to_chars(out, out + kMaxIntBytes, value).ptr;
    }
    return endToken(out);
}

int Ce3Writer::writeStringField(std::string_view key, std::string_view value) {
    return writeParts(key, ":", value);
}
