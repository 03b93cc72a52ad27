#pragma once

#include <string>

enum class FileKind { Regular, Directory, Other, Unknown };

// What a path names, symbolic links followed: a regular file, a directory, something else (a
// device, FIFO or socket), or Unknown when it cannot be found out, with the system's text saying
// why ("No such file or directory").
struct FileStatus {
    FileKind kind = FileKind::Unknown;
    std::string error;  // set for Unknown only
};

FileStatus fileStatus(const std::string& path);
