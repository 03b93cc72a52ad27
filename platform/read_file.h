#pragma once

#include <cstdint>
#include <string>

#include "platform/file_handle.h"

// What opening a regular file for reading gave.
struct RegularFile {
    FilePtr stream;           // binary read stream; null unless the file was opened
    int error = 0;            // the system's error number when it could not be opened, else 0
    bool notRegular = false;  // it is a directory, FIFO, device or socket and was refused
    uint64_t size = 0;        // its size in bytes when it was opened
};

// Opens a regular file for binary reading. Anything else is refused without waiting: a FIFO or
// device in a list of sources never blocks the caller.
RegularFile openRegularFile(const std::string& path);

// Opens a file for binary reading as fopen does, but refuses a directory; null on failure.
FilePtr openFileForReading(const std::string& path);
