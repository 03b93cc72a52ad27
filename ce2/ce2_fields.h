#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// Field decoding shared by the CE2 record readers. A body is a byte array whose offsets count
// from the first byte after the record's type byte.

// Reads exactly n bytes with one read; false when fewer arrive.
bool readCe2Body(FILE* stream, unsigned char* body, std::size_t n);

// Little-endian two's complement int16 at body[at].
int32_t ce2Int16(const unsigned char* body, std::size_t at);

// The element layer in bits 4-6 of a flags byte.
int32_t ce2Layer(unsigned char flags);

// A counted text: the length byte at body[at], taken as a signed byte and clamped to
// 0..capacity, then that many bytes from body[at + 1]. Bytes are copied unchanged; the result may
// hold NUL bytes, which the element setters cut at.
std::string ce2CountedText(const unsigned char* body, std::size_t at, int capacity);
