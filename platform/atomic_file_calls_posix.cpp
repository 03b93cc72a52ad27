#include <unistd.h>

#include <cstdio>

#include "platform/atomic_file_calls.h"

namespace atomic_file_calls {

FILE* openStream(int fd, char* buffer, std::size_t size) {
    FILE* stream = ::fdopen(fd, "wb");
    if (stream != nullptr) {
        std::setvbuf(stream, buffer, _IOFBF, size);
    }
    return stream;
}

int syncFile(int fd) {
    return ::fsync(fd);
}

int renameFile(const char* from, const char* to) {
    return std::rename(from, to);
}

int syncDirectory(int fd) {
    return ::fsync(fd);
}

}  // namespace atomic_file_calls
