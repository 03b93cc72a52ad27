#pragma once

#include <cstdint>

// Narrows a wide intermediate to the signed 32-bit range, saturating at either end.
constexpr int32_t clamp32(int64_t v) {
    if (v > INT32_MAX) {
        return INT32_MAX;
    }
    if (v < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(v);
}
