#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The names of the hidden temporary files of saves, ".morvex-PID-START-RANDOM.tmp" in
// hexadecimal: the id and start time of the process that made the file, and a random part.

// The file name (without a folder) for a temporary of the process `pid` started at `start`.
std::string temporaryFileName(uint64_t pid, uint64_t start, uint64_t random);

// The process that made a temporary, known by its name.
struct TemporaryOwner {
    uint64_t pid = 0;
    uint64_t start = 0;
};
// The maker of the file `name`; nothing when the name is not that of a temporary.
std::optional<TemporaryOwner> temporaryOwner(const std::string& name);

// True the first time it is asked of a folder in this process, so that each folder is cleaned
// of stale temporaries once.
bool firstVisitOf(const std::string& folder);
