#pragma once

#include <cstdint>
#include <string>

// Fixed metrics of the texts that are never measured (labels, tags, component texts): 8 drawing
// units per byte, 10 units high.
inline constexpr int64_t kTextByteWidth = 8;
inline constexpr int64_t kTextHeight = 10;

inline int64_t fixedTextWidth(const std::string& text) {
    return kTextByteWidth * static_cast<int64_t>(text.size());
}
