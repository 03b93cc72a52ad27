#include "ce2/ce2_fields.h"

#include "platform/files.h"

bool readCe2Body(FILE* stream, unsigned char* body, std::size_t n) {
    // The stream is the caller's alone: no locking per record.
    return readBytesUnlocked(body, n, stream) == n;
}
