#pragma once

#include <string>
#include <vector>

// The program's command-line arguments, the program's name first. On POSIX systems they are argv
// as given; on Windows they come from the wide command line as UTF-8, so that names the ANSI code
// page cannot hold arrive whole.
std::vector<std::string> programArguments(int argc, char** argv);
