#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace benchcorpus {

// A CE2 drawing: one header (sheet 3000 x 2000) and `elements` element records of every kind,
// mixed in the proportions of a typical schematic, all on the sheet; texts include spaces,
// commas, percent signs and Shift-JIS bytes. The same arguments always give the same bytes.
std::string mixedDrawing(std::size_t elements, uint64_t seed);

}  // namespace benchcorpus
