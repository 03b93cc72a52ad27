#pragma once

#include <string>

// The hidden temporary files of saves carry the id and start time of the process that made them
// (".morvex-PID-START-RANDOM.tmp"), so that a file left by a process killed at the last instant
// can be told from one that a running save still needs.

// A fresh hidden name in `directory` for a temporary file of this process.
std::string temporaryNameIn(const std::string& directory);

// Removes, once per directory and process, the temporary files in `directory` whose process no
// longer runs. Files that cannot be examined or removed are left as they are.
void removeStaleTemporaries(const std::string& directory);
