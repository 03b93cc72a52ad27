#pragma once

#include <cstddef>
#include <cstdio>

// Byte reads and writes on a C stream without taking the stream's lock, for the hot loops of the
// readers and the writer. Only for a stream that one thread uses alone.

inline int getByteUnlocked(FILE* stream) {
    return _getc_nolock(stream);
}

inline int putByteUnlocked(int c, FILE* stream) {
    return _putc_nolock(c, stream);
}

// The system's C runtime (msvcrt) has no unlocked block read; one lock per block costs little.
inline std::size_t readBytesUnlocked(void* to, std::size_t n, FILE* stream) {
    return std::fread(to, 1, n, stream);
}
