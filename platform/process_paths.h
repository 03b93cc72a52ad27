#pragma once

#include <string>

// The process's working directory; empty when it cannot be found.
std::string currentDirectory();

// The directory that holds the running program; empty when it cannot be found.
std::string executableDirectory();
