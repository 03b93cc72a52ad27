#include "ce3/ce3_writer.h"

#include <algorithm>
#include <charconv>

#include "platform/files.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The most bytes that one byte of a token becomes.
constexpr std::size_t kMaxEscapedBytes = 3;

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

char* Ce3Writer::escapeInto(char* out, std::string_view part, bool& ended) {
    for (const char ch : part) {
        const auto b = static_cast<unsigned char>(ch);
        if (!kSpecial[b]) {
            *out++ = ch;
        } else if (b == 0) {
            ended = true;
            return out;
        } else {
            out[0] = '%';
            out[1] = kHexDigits[b >> 4];
            out[2] = kHexDigits[b & 0xF];
            out += kMaxEscapedBytes;
        }
    }
    return out;
}

Ce3Writer::~Ce3Writer() {
    handOn();
}

int Ce3Writer::handOn() {
    const std::size_t n = staged_;
    staged_ = 0;
    if (n == 0) {
        return 0;
    }
    if (stream_ != nullptr) {
        return std::fwrite(stage_.data(), 1, n, stream_) == n ? 0 : -1;
    }
    text_->append(stage_.data(), n);
    return 0;
}

int Ce3Writer::putChar(int c) {
    if (stream_ != nullptr) {
        if (handOn() < 0) {
            return -1;
        }
        return putByteUnlocked(c, stream_);
    }
    if (text_ != nullptr) {
        const auto byte = static_cast<unsigned char>(c);
        text_->push_back(static_cast<char>(byte));
        return byte;
    }
    return -1;
}

char* Ce3Writer::reserve(std::size_t bytes) {
    if (stage_.size() - staged_ < bytes && handOn() < 0) {
        return nullptr;
    }
    return stage_.data() + staged_;
}

int Ce3Writer::stageEscaped(std::string_view part) {
    while (!part.empty()) {
        char* const out = reserve(kMaxEscapedBytes);
        if (out == nullptr) {
            return -1;
        }
        // As many bytes as surely fit, escaped or not.
        const std::size_t n = std::min(part.size(), (stage_.size() - staged_) / kMaxEscapedBytes);
        bool ended = false;
        staged_ =
            static_cast<std::size_t>(escapeInto(out, part.substr(0, n), ended) - stage_.data());
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

int Ce3Writer::endToken(const char* out) {
    staged_ = static_cast<std::size_t>(out - stage_.data());
    // A text target sees every token at once; a stream gets whole lines.
    return stream_ == nullptr ? handOn() : 0;
}

int Ce3Writer::writeParts(std::string_view first, std::string_view second, std::string_view third) {
    if (stream_ == nullptr && text_ == nullptr) {
        // Without a target the separator fails, or else the first byte of the token if it has one.
        const bool separator = !atLineStart_;
        atLineStart_ = false;
        return separator || firstByte(first, second, third) != '\0' ? -1 : 0;
    }
    const std::size_t most = kMaxEscapedBytes * (first.size() + second.size() + third.size());
    if (most >= stage_.size()) {
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
    staged_ = static_cast<std::size_t>(out - stage_.data());
    int r = 0;
    for (const std::string_view part : {first, second, third}) {
        if ((r = stageEscaped(part)) != 0) {
            break;
        }
    }
    const int handedOn = endToken(stage_.data() + staged_);
    return r < 0 || handedOn < 0 ? -1 : 0;
}

int Ce3Writer::endLine() {
    atLineStart_ = true;
    if (stream_ == nullptr && text_ == nullptr) {
        return -1;
    }
    if (stage_.size() - staged_ < 2 && handOn() < 0) {
        return -1;
    }
    stage_[staged_++] = '\r';
    stage_[staged_++] = '\n';
    return handOn();
}

int Ce3Writer::writeAnyIntField(std::string_view key, int value) {
    const std::size_t most = kMaxEscapedBytes * key.size() + 1 + kMaxIntBytes;
    if ((stream_ == nullptr && text_ == nullptr) || most >= stage_.size()) {
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
