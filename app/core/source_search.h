#pragma once

#include <string>
#include <vector>

// A path that gives nothing to convert, and why (UTF-8, in the user's language).
struct PathProblem {
    std::string path;
    std::string reason;
};

// The .ce2 sources that one path stands for.
struct FoundSources {
    std::vector<std::string> files;  // in the order to convert
    std::vector<PathProblem> problems;
};

// What one given path stands for: a directory gives every .ce2 file below it, in sorted order
// (symbolic links are followed, each directory is searched once, so links cannot loop); a path
// with a .ce2 extension gives itself, whatever it is; anything else is a problem. A directory
// that cannot be read is a problem and the search goes on.
FoundSources findSources(const std::string& path);

// Whether path names a directory (symbolic links followed).
bool isDirectory(const std::string& path);
