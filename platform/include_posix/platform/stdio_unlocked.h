#pragma once

#include <cstddef>
#include <cstdio>

// Byte reads and writes on a C stream without taking the stream's lock, for the hot loops of the
// readers and the writer. Only for a stream that one thread uses alone.

inline int getByteUnlocked(FILE* stream) {
    return getc_unlocked(stream);
}

inline int putByteUnlocked(int c, FILE* stream) {
    return putc_unlocked(c, stream);
}

inline std::size_t readBytesUnlocked(void* to, std::size_t n, FILE* stream) {
    return fread_unlocked(to, 1, n, stream);
}
