#pragma once

#include <cstdint>
#include <optional>

#include "model/geometry.h"

// Exact integer geometry of straight segments at any slope, as KiCad tests connections: a point
// is on a segment only when it lies on it exactly.

// The farthest any coordinate is written from the sheet, in drawing units (127 m): KiCad keeps
// its coordinates within about 151 m and would move anything beyond.
inline constexpr int32_t kFarthestCoordinate = 500000;

// A point with both coordinates limited to +-kFarthestCoordinate.
SchPoint keptNear(SchPoint p);

struct Segment {
    SchPoint a;
    SchPoint b;
};

// Whether p lies on the segment, its ends included.
bool onSegment(SchPoint p, const Segment& s);
// Whether p lies on the segment but is neither of its ends.
bool insideSegment(SchPoint p, const Segment& s);

// Whether the squared distance between the segment and the rectangle (its edges and inside) is
// at most `limit` squared: 0 when they meet.
bool segmentWithin(const Segment& s, const SchRect& rect, int64_t limit);
// The squared distance between the segment and the rectangle, as a fraction num / den (den > 0),
// for ordering candidates exactly.
struct SquaredDistance {
    int64_t num = 0;
    int64_t den = 1;
};
SquaredDistance segmentToRect(const Segment& s, const SchRect& rect);
// a < b, compared exactly.
bool closer(const SquaredDistance& a, const SquaredDistance& b);

// The points with integer coordinates on a segment, evenly spaced from a to b: there are
// steps() + 1 of them, at(0) == a and at(steps()) == b.
class SegmentLattice {
  public:
    explicit SegmentLattice(const Segment& s);
    int64_t steps() const { return steps_; }
    SchPoint at(int64_t k) const;
    // The index of the lattice point nearest to p's projection onto the segment.
    int64_t nearestTo(SchPoint p) const;

  private:
    SchPoint a_;
    int64_t stepX_ = 0;
    int64_t stepY_ = 0;
    int64_t steps_ = 0;
};

// How far p lies from the outline of rect, squared (0 on the outline; inside, the distance to
// the nearest edge).
int64_t squaredDistanceToOutline(SchPoint p, const SchRect& rect);
