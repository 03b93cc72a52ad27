#pragma once

#include <string>

// Creates the missing folders above the file `path`, private to the user; false when one of them
// cannot be created.
bool makeParentDirectories(const std::string& path);
