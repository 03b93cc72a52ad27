#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ce3/ce3_reader.h"

// Whether a field whose colon is its last byte (an empty value) is taken.
enum class EmptyValue { Ignore, Accept };

// The keys that a record must hold: up to eight keys of up to three bytes each, packed into
// numbers when the program is compiled, so that each field's key is compared cheaply.
class RequiredKeys {
  public:
    consteval RequiredKeys(std::initializer_list<std::string_view> keys) {
        if (keys.size() > kMaxKeys) {
            throw "too many required keys";
        }
        for (const std::string_view key : keys) {
            if (key.empty() || key.size() > kMaxKeyBytes) {
                throw "a required key is empty or too long";
            }
            packed_[count_++] = pack(key);
        }
    }

    // A bit for every key: bit i stands for the i-th key.
    constexpr unsigned all() const { return (1u << count_) - 1; }

    // The bits of the keys equal to key.
    constexpr unsigned match(std::string_view key) const {
        if (key.size() > kMaxKeyBytes) {
            return 0;
        }
        const uint32_t packed = pack(key);
        unsigned bits = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            if (packed_[i] == packed) {
                bits |= 1u << i;
            }
        }
        return bits;
    }

  private:
    static constexpr std::size_t kMaxKeys = 8;
    static constexpr std::size_t kMaxKeyBytes = 3;

    // The length in the top byte, the bytes below it: equal numbers for equal keys only.
    static constexpr uint32_t pack(std::string_view key) {
        uint32_t v = static_cast<uint32_t>(key.size()) << 24;
        for (std::size_t i = 0; i < key.size(); ++i) {
            v |= uint32_t{static_cast<unsigned char>(key[i])} << (8 * i);
        }
        return v;
    }

    uint32_t packed_[kMaxKeys] = {};
    std::size_t count_ = 0;
};

// The closer of the block that `opener` ("+NAME") opens: "-NAME".
inline std::string closerOf(std::string_view opener) {
    std::string closer(opener);
    closer[0] = '-';
    return closer;
}

// Reads a record body after its opening token, up to and including a closing token.
// Nested blocks ("+NAME" ... "-NAME") are skipped whole without nesting; a field token is split
// at its first colon and passed to onField(key, value) unless the colon is its first byte, or its
// last byte under EmptyValue::Ignore; key and value are valid during that call only. Tokens
// without a colon are ignored.
// Returns true when the closing token met equals `closer` and every key of `required` was passed
// to onField at least once; false when a required key is missing, another closing token comes,
// or the input ends (or breaks) before a closer or inside a skipped block.
template <typename OnField>
bool readRecordBody(Ce3Reader& reader, std::string_view closer, EmptyValue emptyValue,
                    const RequiredKeys& required, OnField&& onField) {
    // Bit i stands for required key i until a field with that key comes.
    unsigned missing = required.all();
    std::string_view token;
    for (;;) {
        if (reader.nextToken(token) < 0) {
            return false;
        }
        if (!token.empty() && token[0] == '-') {
            return token == closer && missing == 0;
        }
        if (!token.empty() && token[0] == '+') {
            if (reader.skipUntil(closerOf(token)) < 0) {
                return false;
            }
            continue;
        }
        // Keys are short: a plain loop finds the colon sooner than a library search.
        std::size_t colon = 0;
        while (colon < token.size() && token[colon] != ':') {
            ++colon;
        }
        if (colon == token.size() || colon == 0) {
            continue;
        }
        if (colon + 1 == token.size() && emptyValue == EmptyValue::Ignore) {
            continue;
        }
        const std::string_view key = token.substr(0, colon);
        if (missing != 0) {
            missing &= ~required.match(key);
        }
        onField(key, token.substr(colon + 1));
    }
}

// A text value as a C string holds it: the bytes before the first NUL.
inline std::string cText(std::string_view value) {
    return std::string(value.substr(0, value.find('\0')));
}
