#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "app/core/conversion.h"

// For each file of the list, the index of an earlier file whose output it would replace, or
// nothing. Two files collide when their outputs are the same path, or two paths of one existing
// file, and the sources are different files; the same file listed twice (by one path or by two)
// is converted twice. A source that would overwrite itself writes nothing and collides with none.
// Outputs that differ only in letter case are different files unless the file system makes them
// one existing file.
std::vector<std::optional<std::size_t>> findOutputCollisions(const std::vector<BatchFile>& files);

// Whether the output of a file would overwrite its source, by path or as one existing file.
bool overwritesItsSource(const BatchFile& file);
