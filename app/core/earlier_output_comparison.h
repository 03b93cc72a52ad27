#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/uninitialised_array.h"

// Compares the bytes that a conversion writes, block by block as they are written, with those of
// the output already at their path. An earlier output that holds exactly the new bytes holds only
// what a conversion writes: it may be replaced without going through its records, for the price
// of reading it once.
class EarlierOutputComparison {
  public:
    // Opens the earlier output; one that cannot be opened compares unequal.
    explicit EarlierOutputComparison(const std::string& output);

    // Compares the next block of the new bytes with the earlier output's bytes at that place.
    void compare(std::string_view block);
    // True when the earlier output held the bytes compared and nothing after them. Closes it, so
    // that it can be replaced (a file held open cannot be, on some systems).
    bool finish();

  private:
    RegularFile earlier_;
    bool same_ = false;
    UninitialisedArray<char> buffer_;  // its size in its deleter
};
