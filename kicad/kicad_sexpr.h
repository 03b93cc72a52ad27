#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The pieces of KiCad's S-expression text that this writer formats.

// Drawing units as KiCad's millimetres: 1 unit is 0.254 mm exactly, written with at most three
// decimals and no trailing zeros ("25.4", "-0.127", "0").
std::string kicadNumber(int64_t units);

// A UTF-8 text as a quoted KiCad string: backslashes and quotes escaped, line ends as \n.
std::string kicadString(std::string_view text);

// UUIDs that follow from a file's name and a position in it, so that writing the same drawing
// under the same name again gives the same file.
class KicadUuids {
  public:
    explicit KicadUuids(std::string_view name) : name_(name) {}
    // The UUID of the `part`th thing written for element `element`; the same for the same
    // numbers on every system (64-bit, whatever the width of size_t).
    std::string operator()(uint64_t element, uint64_t part = 0) const;

  private:
    std::string name_;
};
