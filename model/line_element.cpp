#include "model/line_element.h"

#include <algorithm>

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "platform/numbers.h"

namespace {

// Wide enough for the products of the crossing test: differences of 32-bit coordinates reach
// 2^32, so their products reach 2^64.
__extension__ typedef __int128 Int128;

// Whether the segment starting at (u0, v0) with direction (du, dv) meets the line u = edge
// between `low` and `high` in v. The caller guarantees du != 0. Division truncates toward zero,
// and the quotient is compared unclamped.
bool crossesAt(Int128 u0, Int128 v0, Int128 du, Int128 dv, Int128 edge, Int128 low, Int128 high) {
    const Int128 v = v0 + (edge - u0) * dv / du;
    return low <= v && v <= high;
}

}  // namespace

SchPoint SchLineElement::position() const {
    return ((selection & SchSelection::P2) != 0 && (selection & SchSelection::P1) == 0) ? p2 : p1;
}

int SchLineElement::hitTest(SchPoint p) const {
    return areaCrossFlags(pickBox(p)) != 0 ? (kHitElement | 1) : 0;
}

int SchLineElement::areaCrossFlags(const SchRect& r) const {
    const int a = regionCode(p1, r);
    const int b = regionCode(p2, r);
    if ((a & b) != 0) {
        return SchSelection::None;
    }
    const int f = a | b;
    if (a == SchRegion::Inside || b == SchRegion::Inside ||
        f == (SchRegion::Left | SchRegion::Right) || f == (SchRegion::Above | SchRegion::Below)) {
        return SchSelection::Whole;
    }
    const Int128 x1 = p1.x;
    const Int128 y1 = p1.y;
    const Int128 dx = Int128{p2.x} - p1.x;
    const Int128 dy = Int128{p2.y} - p1.y;
    // An edge flag is set for exactly one end, so the matching difference is never 0.
    if ((f & SchRegion::Left) != 0 && crossesAt(x1, y1, dx, dy, r.left, r.top, r.bottom)) {
        return SchSelection::Whole;
    }
    if ((f & SchRegion::Right) != 0 && crossesAt(x1, y1, dx, dy, r.right, r.top, r.bottom)) {
        return SchSelection::Whole;
    }
    // The horizontal edges: the same test with the axes exchanged.
    if ((f & SchRegion::Above) != 0 && crossesAt(y1, x1, dy, dx, r.top, r.left, r.right)) {
        return SchSelection::Whole;
    }
    if ((f & SchRegion::Below) != 0 && crossesAt(y1, x1, dy, dx, r.bottom, r.left, r.right)) {
        return SchSelection::Whole;
    }
    return SchSelection::None;
}

int SchLineElement::areaPointFlags(const SchRect& r) const {
    int flags = SchSelection::None;
    if (regionCode(p1, r) == SchRegion::Inside) {
        flags |= SchSelection::P1;
    }
    if (regionCode(p2, r) == SchRegion::Inside) {
        flags |= SchSelection::P2;
    }
    return flags;
}

bool SchLineElement::touchesArea(const SchRect& r) const {
    const SchRect grown(clamp32(int64_t{r.left} - 1), clamp32(int64_t{r.top} - 1),
                        clamp32(int64_t{r.right} + 1), clamp32(int64_t{r.bottom} + 1));
    return areaCrossFlags(grown) != 0;
}

SchRect SchLineElement::area() const {
    if (selection == SchSelection::None) {
        // The union of both ends' pick boxes: clamping keeps the order of coordinates, so it is
        // the pick box stretched over the extremes.
        return SchRect(
            clamp32(int64_t{std::min(p1.x, p2.x)} - 2), clamp32(int64_t{std::min(p1.y, p2.y)} - 2),
            clamp32(int64_t{std::max(p1.x, p2.x)} + 3), clamp32(int64_t{std::max(p1.y, p2.y)} + 3));
    }
    SchRect result = SchRect::emptyAccumulator();
    if (selection == SchSelection::None || (selection & SchSelection::P1) != 0) {
        result.unite(pickBox(p1));
    }
    if (selection == SchSelection::None || (selection & SchSelection::P2) != 0) {
        result.unite(pickBox(p2));
    }
    return result;
}

SchRect SchLineElement::pointArea() const {
    SchRect result(p1, p2);
    result.normalise();
    return result;
}

bool SchLineElement::isValid() const {
    return p1 != p2;
}

bool SchLineElement::readLineCe3(Ce3Reader& reader, const SchPoint* offset,
                                 const Ce3RecordName& tag) {
    return readRecordBody(reader, tag.close(), EmptyValue::Ignore, {"X1", "Y1", "X2", "Y2"},
                          [&](std::string_view key, std::string_view value) {
                              if (key == "X1") {
                                  p1.x = addOffsetX(atoiField(value), offset);
                              } else if (key == "Y1") {
                                  p1.y = addOffsetY(atoiField(value), offset);
                              } else if (key == "X2") {
                                  p2.x = addOffsetX(atoiField(value), offset);
                              } else if (key == "Y2") {
                                  p2.y = addOffsetY(atoiField(value), offset);
                              }
                          });
}

bool SchLineElement::writeLineCe3(Ce3Writer& writer, const SchPoint* offset,
                                  const Ce3RecordName& tag) {
    writer.writeRecord(tag, Ce3Writer::field(kCe3KeyLayer, layer),
                       Ce3Writer::field(kCe3KeyX1, subOffsetX(p1.x, offset)),
                       Ce3Writer::field(kCe3KeyY1, subOffsetY(p1.y, offset)),
                       Ce3Writer::field(kCe3KeyX2, subOffsetX(p2.x, offset)),
                       Ce3Writer::field(kCe3KeyY2, subOffsetY(p2.y, offset)));
    return true;
}

bool SchWire::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    return readLineCe3(reader, offset, kCe3Wire);
}
bool SchWire::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    return writeLineCe3(writer, offset, kCe3Wire);
}
std::unique_ptr<SchElement> SchWire::clone() const {
    return std::make_unique<SchWire>(*this);
}

bool SchBus::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    return readLineCe3(reader, offset, kCe3Bus);
}
bool SchBus::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    return writeLineCe3(writer, offset, kCe3Bus);
}
std::unique_ptr<SchElement> SchBus::clone() const {
    return std::make_unique<SchBus>(*this);
}

bool SchDash::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    return readLineCe3(reader, offset, kCe3Dash);
}
bool SchDash::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    return writeLineCe3(writer, offset, kCe3Dash);
}
std::unique_ptr<SchElement> SchDash::clone() const {
    return std::make_unique<SchDash>(*this);
}
