#include "platform/memory_stream.h"

#include <cstdio>

FilePtr openMemoryStream(std::string_view bytes) {
    // The stream is opened for reading only: fmemopen does not write to the buffer then.
    return FilePtr(::fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb"));
}
