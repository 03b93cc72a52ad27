#include "ce2/ce2_fields.h"

#include <algorithm>

#include "platform/files.h"

bool readCe2Body(FILE* stream, unsigned char* body, std::size_t n) {
    // The stream is the caller's alone: no locking per record.
    return readBytesUnlocked(body, n, stream) == n;
}

int32_t ce2Int16(const unsigned char* body, std::size_t at) {
    return body[at] + 256 * int32_t{static_cast<int8_t>(body[at + 1])};
}

int32_t ce2Layer(unsigned char flags) {
    return (flags >> 4) & 7;
}

std::string ce2CountedText(const unsigned char* body, std::size_t at, int capacity) {
    const int length = std::clamp<int>(static_cast<int8_t>(body[at]), 0, capacity);
    return std::string(reinterpret_cast<const char*>(body + at + 1),
                       static_cast<std::size_t>(length));
}
