#include "kicad/segment_geometry.h"

#include <algorithm>
#include <numeric>

namespace {

__extension__ using Wide = __int128;

int64_t cross(int64_t ax, int64_t ay, int64_t bx, int64_t by) {
    return ax * by - ay * bx;
}

// Which side of the line a..b the point p lies on: 1, -1, or 0 on the line.
int orientation(SchPoint a, SchPoint b, SchPoint p) {
    const int64_t c =
        cross(int64_t{b.x} - a.x, int64_t{b.y} - a.y, int64_t{p.x} - a.x, int64_t{p.y} - a.y);
    return (c > 0) - (c < 0);
}

bool within(int64_t v, int64_t a, int64_t b) {
    return std::min(a, b) <= v && v <= std::max(a, b);
}

bool segmentsMeet(const Segment& s, const Segment& t) {
    const int o1 = orientation(s.a, s.b, t.a);
    const int o2 = orientation(s.a, s.b, t.b);
    const int o3 = orientation(t.a, t.b, s.a);
    const int o4 = orientation(t.a, t.b, s.b);
    if (o1 != o2 && o3 != o4) {
        return true;
    }
    return (o1 == 0 && onSegment(t.a, s)) || (o2 == 0 && onSegment(t.b, s)) ||
           (o3 == 0 && onSegment(s.a, t)) || (o4 == 0 && onSegment(s.b, t));
}

bool inRect(SchPoint p, const SchRect& r) {
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

int64_t squaredToRect(SchPoint p, const SchRect& r) {
    const int64_t dx =
        p.x < r.left ? int64_t{r.left} - p.x : std::max<int64_t>(0, int64_t{p.x} - r.right);
    const int64_t dy =
        p.y < r.top ? int64_t{r.top} - p.y : std::max<int64_t>(0, int64_t{p.y} - r.bottom);
    return dx * dx + dy * dy;
}

// The squared distance from p to the segment, as num / den.
SquaredDistance pointToSegment(SchPoint p, const Segment& s) {
    const int64_t dx = int64_t{s.b.x} - s.a.x;
    const int64_t dy = int64_t{s.b.y} - s.a.y;
    const int64_t px = int64_t{p.x} - s.a.x;
    const int64_t py = int64_t{p.y} - s.a.y;
    const int64_t length = dx * dx + dy * dy;
    const int64_t t = px * dx + py * dy;
    if (length == 0 || t <= 0) {
        return {px * px + py * py, 1};
    }
    if (t >= length) {
        const int64_t qx = int64_t{p.x} - s.b.x;
        const int64_t qy = int64_t{p.y} - s.b.y;
        return {qx * qx + qy * qy, 1};
    }
    // cross^2 / length. It fits 64 bits exactly whenever the distance is small enough to matter
    // (a few hundred units); farther, only its integer part is kept, rounded up.
    const Wide c = cross(dx, dy, px, py);
    const Wide squared = c * c;
    if (squared <= INT64_MAX) {
        return {static_cast<int64_t>(squared), length};
    }
    const Wide whole = squared / length + (squared % length != 0 ? 1 : 0);
    return {static_cast<int64_t>(std::min<Wide>(whole, INT64_MAX)), 1};
}

}  // namespace

SchPoint keptNear(SchPoint p) {
    return SchPoint(std::clamp(p.x, -kFarthestCoordinate, kFarthestCoordinate),
                    std::clamp(p.y, -kFarthestCoordinate, kFarthestCoordinate));
}

bool onSegment(SchPoint p, const Segment& s) {
    return orientation(s.a, s.b, p) == 0 && within(p.x, s.a.x, s.b.x) && within(p.y, s.a.y, s.b.y);
}

bool insideSegment(SchPoint p, const Segment& s) {
    return p != s.a && p != s.b && onSegment(p, s);
}

SquaredDistance segmentToRect(const Segment& s, const SchRect& rect) {
    if (inRect(s.a, rect) || inRect(s.b, rect)) {
        return {0, 1};
    }
    const SchPoint corners[] = {{rect.left, rect.top},
                                {rect.right, rect.top},
                                {rect.right, rect.bottom},
                                {rect.left, rect.bottom}};
    for (std::size_t i = 0; i < 4; ++i) {
        if (segmentsMeet(s, Segment{corners[i], corners[(i + 1) % 4]})) {
            return {0, 1};
        }
    }
    SquaredDistance best{std::min(squaredToRect(s.a, rect), squaredToRect(s.b, rect)), 1};
    for (const SchPoint corner : corners) {
        const SquaredDistance d = pointToSegment(corner, s);
        if (closer(d, best)) {
            best = d;
        }
    }
    return best;
}

bool closer(const SquaredDistance& a, const SquaredDistance& b) {
    return Wide{a.num} * b.den < Wide{b.num} * a.den;
}

bool segmentWithin(const Segment& s, const SchRect& rect, int64_t limit) {
    const SquaredDistance d = segmentToRect(s, rect);
    return Wide{d.num} <= Wide{limit} * limit * d.den;
}

SegmentLattice::SegmentLattice(const Segment& s) : a_(s.a) {
    const int64_t dx = int64_t{s.b.x} - s.a.x;
    const int64_t dy = int64_t{s.b.y} - s.a.y;
    steps_ = std::gcd(dx, dy);
    if (steps_ != 0) {
        stepX_ = dx / steps_;
        stepY_ = dy / steps_;
    }
}

SchPoint SegmentLattice::at(int64_t k) const {
    return SchPoint(static_cast<int32_t>(a_.x + stepX_ * k),
                    static_cast<int32_t>(a_.y + stepY_ * k));
}

int64_t SegmentLattice::nearestTo(SchPoint p) const {
    const int64_t step = stepX_ * stepX_ + stepY_ * stepY_;
    if (step == 0) {
        return 0;
    }
    const int64_t t = (int64_t{p.x} - a_.x) * stepX_ + (int64_t{p.y} - a_.y) * stepY_;
    // t / step rounded to the nearest integer, halves away from a_.
    const int64_t k = t >= 0 ? (2 * t + step) / (2 * step) : -((-2 * t + step) / (2 * step));
    return std::clamp<int64_t>(k, 0, steps_);
}

int64_t squaredDistanceToOutline(SchPoint p, const SchRect& rect) {
    if (!inRect(p, rect)) {
        return squaredToRect(p, rect);
    }
    const int64_t nearest = std::min({int64_t{p.x} - rect.left, int64_t{rect.right} - p.x,
                                      int64_t{p.y} - rect.top, int64_t{rect.bottom} - p.y});
    return nearest * nearest;
}
