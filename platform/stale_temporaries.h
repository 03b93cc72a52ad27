#pragma once

#include <string>

// The hidden temporary files of saves carry the id and start time of the process that made them
// (".morvex-PID-START-RANDOM.tmp"), so that a file left by a process killed at the last instant
// can be told from one that a running save still needs.

// A fresh hidden name for a temporary file of this process in the folder of `target`.
std::string temporaryNameFor(const std::string& target);

// Removes, once per folder and process, the temporary files in the folder of `target` whose
// process no longer runs. Files that cannot be examined or removed are left as they are.
void removeStaleTemporariesBeside(const std::string& target);
