#pragma once

#include <cstddef>
#include <vector>

#include "app/core/conversion.h"

// For each file of a batch, the earlier files that read or write a file it reads or writes,
// in ascending order: the same source or the same output, by path (ASCII letters in either case)
// or as one existing file, or an output not there yet by its folder's identity and its name. A
// file marked in `untouched` (one decided before anything is written) touches none.
std::vector<std::vector<std::size_t>> findSharedFiles(const std::vector<BatchFile>& files,
                                                      const std::vector<bool>& untouched);
