#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

// Field decoding shared by the CE2 record readers. A body is a byte array whose offsets count
// from the first byte after the record's type byte.

// Reads exactly n bytes with one read; false when fewer arrive.
bool readCe2Body(FILE* stream, unsigned char* body, std::size_t n);

// Little-endian two's complement int16 at body[at].
inline int32_t ce2Int16(const unsigned char* body, std::size_t at) {
    return body[at] + 256 * int32_t{static_cast<int8_t>(body[at + 1])};
}

// The element layer in bits 4-6 of a flags byte.
inline int32_t ce2Layer(unsigned char flags) {
    return (flags >> 4) & 7;
}

// The n bytes at `bytes` up to the first NUL among them, as a C string of them reads.
inline std::string_view ce2CText(const unsigned char* bytes, std::size_t n) {
    const char* const text = reinterpret_cast<const char*>(bytes);
    const void* const nul = std::memchr(text, 0, n);
    return {text,
            nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : n};
}

// A counted text: the length byte at body[at], taken as a signed byte and clamped to
// 0..capacity, then that many bytes from body[at + 1], up to the first NUL among them. The other
// bytes are kept unchanged.
inline std::string_view ce2CountedText(const unsigned char* body, std::size_t at, int capacity) {
    const int length = std::clamp<int>(static_cast<int8_t>(body[at]), 0, capacity);
    return ce2CText(body + at + 1, static_cast<std::size_t>(length));
}
