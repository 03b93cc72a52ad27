#pragma once

#include <string>
#include <vector>

// Adds path to sources, or, for a directory, its regular files named *.ce2 (any letter case) in
// name order. False when a directory cannot be listed.
bool addSources(const std::string& path, std::vector<std::string>& sources);
