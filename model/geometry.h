#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/numbers.h"

// Integer geometry of the sheet: x grows to the right, y downward, both signed 32-bit.

struct SchPoint {
    int32_t x = 0;
    int32_t y = 0;

    constexpr SchPoint() = default;
    constexpr SchPoint(int32_t px, int32_t py) : x(px), y(py) {}

    int32_t setX(int32_t v) { return x = v; }
    int32_t setY(int32_t v) { return y = v; }

    // Adds in place; a sum beyond the 32-bit range saturates.
    SchPoint& operator+=(const SchPoint& other) {
        x = clamp32(int64_t{x} + other.x);
        y = clamp32(int64_t{y} + other.y);
        return *this;
    }

    friend constexpr bool operator==(const SchPoint&, const SchPoint&) = default;
};

struct SchRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr SchRect() = default;
    constexpr SchRect(int32_t l, int32_t t, int32_t r, int32_t b)
        : left(l), top(t), right(r), bottom(b) {}
    // From two corners, not normalised.
    constexpr SchRect(SchPoint first, SchPoint second)
        : left(first.x), top(first.y), right(second.x), bottom(second.y) {}

    // From a position and a size; the far edges saturate at the 32-bit range.
    static constexpr SchRect fromPosSize(int64_t x, int64_t y, int64_t w, int64_t h) {
        return SchRect(clamp32(x), clamp32(y), clamp32(x + w), clamp32(y + h));
    }
    // The starting value of a union: uniting it with any rectangle gives that rectangle.
    static constexpr SchRect emptyAccumulator() {
        return SchRect(INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN);
    }

    constexpr SchPoint topLeft() const { return SchPoint(left, top); }
    constexpr SchPoint bottomRight() const { return SchPoint(right, bottom); }

    void normalise();
    SchPoint centre() const;
    // Whether the two share a point; edges belong to both.
    constexpr bool intersects(const SchRect& other) const {
        return !(other.left > right || other.right < left || other.top > bottom ||
                 other.bottom < top);
    }
    constexpr void unite(const SchRect& other) {
        left = std::min(left, other.left);
        right = std::max(right, other.right);
        top = std::min(top, other.top);
        bottom = std::max(bottom, other.bottom);
    }

    friend constexpr bool operator==(const SchRect&, const SchRect&) = default;
};

// The bits of a region code: the sides of a rectangle beyond which a point lies.
struct SchRegion {
    static constexpr int Inside = 0;
    static constexpr int Left = 1;
    static constexpr int Above = 2;
    static constexpr int Right = 4;
    static constexpr int Below = 8;
};

// Region code of a point against a rectangle, whose edges belong to it.
constexpr int regionCode(SchPoint p, const SchRect& r) {
    int code = SchRegion::Inside;
    if (p.x < r.left) {
        code |= SchRegion::Left;
    } else if (p.x > r.right) {
        code |= SchRegion::Right;
    }
    if (p.y < r.top) {
        code |= SchRegion::Above;
    } else if (p.y > r.bottom) {
        code |= SchRegion::Below;
    }
    return code;
}

// 0 unless p lies strictly inside r; otherwise 1..65, higher toward the centre.
int hitScore(SchPoint p, const SchRect& r);

// The 5 x 5 box around a point used for picking lines and junctions: (x-2, y-2)..(x+3, y+3).
constexpr SchRect pickBox(SchPoint p) {
    return SchRect::fromPosSize(int64_t{p.x} - 2, int64_t{p.y} - 2, 5, 5);
}
