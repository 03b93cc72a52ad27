#pragma once

#include <cstdint>

// The fixed text metrics of the drawing units: no text is measured, so every byte of a text is
// this wide and every line of text this high.
inline constexpr int64_t kTextByteWidth = 8;
inline constexpr int64_t kTextHeight = 10;
