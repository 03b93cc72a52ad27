#pragma once

#include <string>
#include <vector>

// What a directory holds, each entry as the directory's path joined with the entry's name, in the
// order the system gives them.
struct DirectoryListing {
    std::vector<std::string> directories;  // symbolic links to directories included
    std::vector<std::string> others;       // everything else
    std::string error;  // why the directory could not be read, or not to its end; empty otherwise
};

DirectoryListing listDirectory(const std::string& dir);
