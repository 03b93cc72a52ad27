#pragma once

#include <string>
#include <vector>

// A path that gives nothing to convert, and why.
struct SourceProblem {
    std::string path;
    std::string reason;
};

struct SourceList {
    std::vector<std::string> files;  // in the order to convert
    std::vector<SourceProblem> problems;
};

// True when the final component of path ends in ".ce2" in any letter case.
bool hasCe2Extension(const std::string& path);

// True when path ends in ".ce3" in any letter case and is not a directory.
bool isCe3File(const std::string& path);

// What one command-line PATH stands for: a directory gives every .ce2 file below it, in sorted
// order (symbolic links are followed, each directory is searched once, so links cannot loop);
// a path with a .ce2 extension gives itself, whatever it is; anything else is a problem. A
// directory that cannot be read is a problem and the search goes on.
SourceList collectSources(const std::string& path);
