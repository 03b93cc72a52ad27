#pragma once

#include <compare>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

// Reading files, and what a path names.

// Closes a C stream when it goes out of scope.
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

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

#ifdef _WIN32
// Whether another program holds the existing file open so that it cannot be replaced. Windows
// refuses the replacement as access denied, as for a protected file; an open that asks to delete
// the file tells the two apart with a sharing violation.
bool heldByAnotherProgram(const std::string& path);
#endif

// Byte reads and writes on a C stream without taking the stream's lock, for the hot loops of the
// readers and the writer. Only for a stream that one thread uses alone.
#ifdef _WIN32
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
#else
inline int getByteUnlocked(FILE* stream) {
    return getc_unlocked(stream);
}

inline int putByteUnlocked(int c, FILE* stream) {
    return putc_unlocked(c, stream);
}

inline std::size_t readBytesUnlocked(void* to, std::size_t n, FILE* stream) {
    return fread_unlocked(to, 1, n, stream);
}
#endif

enum class FileKind { Regular, Directory, Other, Unknown };

// What a path names, symbolic links followed: a regular file, a directory, something else (a
// device, FIFO or socket), or Unknown when it cannot be found out, with the system's text saying
// why ("No such file or directory").
struct FileStatus {
    FileKind kind = FileKind::Unknown;
    std::string error;  // set for Unknown only
};

FileStatus fileStatus(const std::string& path);

// What tells one existing file from every other: its device and its number there.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file that path names, symbolic links followed; nothing, with errno set,
// when there is none.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// A file as the file system will resolve a path to it, whether or not it exists yet, so that two
// paths of one file compare equal: the file's identity where it exists; otherwise the identity of
// the nearest existing folder above it and the names below that folder, as the system compares
// names (letter case kept where names are case-sensitive, folded where they are not). Symbolic
// links are followed, a last one that names a file not there yet included.
struct FileKey {
    FileIdentity folder;  // the file itself when `below` is empty
    std::string below;    // the names below `folder`, joined by "/"
    bool operator==(const FileKey&) const = default;
    // Spelled out: libc++ 14 (the page's build) has no three-way comparison of strings.
    bool operator<(const FileKey& other) const {
        return folder != other.folder ? folder < other.folder : below < other.below;
    }
};

// Nothing when not even a folder above the path can be found.
std::optional<FileKey> fileKey(const std::string& path);

// What a second look at a file compares with the first, to tell whether it changed in between:
// which file the path names, its size and the time it was last written.
struct FileLook {
    bool exists = false;
    FileIdentity identity;
    uint64_t size = 0;
    int64_t modified = 0;  // in the system's own unit
    bool operator==(const FileLook&) const = default;
};

// Symbolic links followed; `exists` false when the path names nothing that can be examined.
FileLook lookAtFile(const std::string& path);

// The names of a folder as the system compares them: as they are where names are case-sensitive,
// in upper case where they are not.
std::string comparedName(const std::string& name);

// Where a symbolic link at path points, joined to its folder when relative; nothing when path is
// not a symbolic link (or the system has none).
std::optional<std::string> symbolicLinkTarget(const std::string& path);
