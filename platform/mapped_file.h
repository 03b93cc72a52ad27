#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/uninitialised_array.h"

// Regular files seen whole in memory, for one pass over their bytes: mapped where the system
// allows it, read into memory where it does not, or where the file is small enough that reading
// it costs less than mapping it.

// The files of at least this many bytes are mapped where the system allows it.
constexpr std::size_t kMappedFileMinBytes = std::size_t{1} << 18;

struct MappedFile;

// The bytes of a file held in memory: a mapping of the file, or a buffer they were read into.
class FileBytes {
  public:
    FileBytes() = default;
    FileBytes(FileBytes&& other) noexcept;
    FileBytes& operator=(FileBytes&& other) noexcept;
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::string_view view() const {
        return {mapping_ != nullptr ? mapping_ : buffer_.get(), size_};
    }
    // Whether some of the bytes seen were not the file's: another program shortened the file
    // while it was mapped, and the bytes it lost read as zeros instead of ending the process.
    // Asked once the bytes have been gone through; always false for bytes that were read.
    bool cut() const;

  private:
    friend MappedFile mapRegularFile(const std::string& path);
    friend MappedFile readRegularFile(const std::string& path);
    void releaseMapping();

    UninitialisedArray<char> buffer_;  // the bytes read; empty for a mapping
    std::size_t size_ = 0;
    const char* mapping_ = nullptr;  // the file's bytes as the system maps them
    std::size_t mappedBytes_ = 0;
    int watch_ = -1;  // where the system watches the mapping for cuts; -1 for none
};

// What opening a regular file whole in memory gave.
struct MappedFile {
    FileBytes bytes;          // its bytes; after a failed read, those read before it failed
    int openError = 0;        // the system's error number when it could not be opened at all
    int readError = 0;        // the system's error number when it could not be read whole
    bool notRegular = false;  // a directory, FIFO, device or socket: refused without waiting

    bool opened() const { return openError == 0 && !notRegular; }
};

// Opens the regular file at path and maps it, or reads it whole when it is small or cannot be
// mapped. Anything but a regular file is refused without waiting, as openRegularFile refuses it.
// Memory that runs out for the bytes read is an error (ENOMEM), not an exception.
MappedFile mapRegularFile(const std::string& path);

// The same, the bytes always read: for a second look at a file that was cut while mapped.
MappedFile readRegularFile(const std::string& path);
