#pragma once

#include <string>
#include <vector>

// An entry of a directory whose kind could not be found out, and why.
struct DirectoryEntryProblem {
    std::string path;
    std::string error;
};

// What a directory holds, each entry as the directory's path joined with the entry's name, in the
// order the system gives them.
struct DirectoryListing {
    std::vector<std::string> directories;  // symbolic links to directories included
    std::vector<std::string> others;       // everything else that could be examined
    std::vector<DirectoryEntryProblem> unexamined;
    std::string error;  // why the directory could not be read, or not to its end; empty otherwise
};

DirectoryListing listDirectory(const std::string& dir);
