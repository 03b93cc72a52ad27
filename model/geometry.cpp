#include "model/geometry.h"

#include <algorithm>
#include <utility>

void SchRect::normalise() {
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
}

SchPoint SchRect::centre() const {
    // The sums are taken in 64 bits; C++ division truncates toward zero.
    return SchPoint(static_cast<int32_t>((int64_t{left} + right) / 2),
                    static_cast<int32_t>((int64_t{top} + bottom) / 2));
}

int hitScore(SchPoint p, const SchRect& r) {
    const int64_t dl = int64_t{p.x} - r.left;
    const int64_t dr = int64_t{r.right} - p.x;
    const int64_t dt = int64_t{p.y} - r.top;
    const int64_t db = int64_t{r.bottom} - p.y;
    if (dl <= 0 || dr <= 0 || dt <= 0 || db <= 0) {
        return 0;
    }
    const int64_t sx = std::min(dl, dr) * 16 / (dl + dr);
    const int64_t sy = std::min(dt, db) * 16 / (dt + db);
    return static_cast<int>(sx * sy + 1);
}
