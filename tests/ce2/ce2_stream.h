#pragma once

#include <cstdio>
#include <string>

#include "platform/files.h"

// Read streams over given bytes for the reader tests.
namespace ce2test {

// A seekable stream: the bytes in an anonymous temporary file, positioned at the start.
inline FilePtr fileStreamOf(const std::string& bytes) {
    FilePtr f(std::tmpfile());
    if (f) {
        std::fwrite(bytes.data(), 1, bytes.size(), f.get());
        std::rewind(f.get());
    }
    return f;
}

}  // namespace ce2test
