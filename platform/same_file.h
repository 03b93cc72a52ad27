#pragma once

#include <string>

// True when both paths name one existing file: the same file reached through hard or symbolic
// links, or through names that a case-folding file system takes as one.
bool sameExistingFile(const std::string& a, const std::string& b);
