#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

// What tells one existing file from every other: its device and its number there.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file that path names, symbolic links followed; nothing, with errno set,
// when there is none.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// True when both paths name one existing file: the same file reached through hard or symbolic
// links, or through names that a case-folding file system takes as one.
bool sameExistingFile(const std::string& a, const std::string& b);
