#include "model/entry.h"

#include <utility>

#include "ce3/record_names.h"

namespace {

constexpr int64_t kSlant = 10;

}  // namespace

SchEntry::SchEntry() {
    p1 = SchPoint(0, 10);
    p2 = SchPoint(10, 0);
}

bool SchEntry::orderEnds() {
    if (p1.y < p2.y) {
        std::swap(p1, p2);
    }
    return p1.x < p2.x;
}

void SchEntry::setSlant(bool toRight) {
    p2.y = clamp32(p1.y - kSlant);
    p2.x = clamp32(toRight ? p1.x + kSlant : p1.x - kSlant);
}

bool SchEntry::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    if (!readLineCe3(reader, offset, tag())) {
        return false;
    }
    setSlant(orderEnds());
    return true;
}

bool SchEntry::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    if (p1.y < p2.y) {
        std::swap(p1, p2);
    }
    return writeLineCe3(writer, offset, tag());
}

void SchEntry::setX1(int32_t v) {
    const bool toRight = orderEnds();
    p2.x = clamp32(toRight ? v + kSlant : v - kSlant);
    p1.x = v;
}

void SchEntry::setY1(int32_t v) {
    p1.y = v;
    p2.y = clamp32(v - kSlant);
}

void SchEntry::setP1(SchPoint p) {
    setX1(p.x);
    setY1(p.y);
}

// The upper end follows the lower one; it cannot be set on its own.
void SchEntry::setX2(int32_t) {}
void SchEntry::setY2(int32_t) {}
void SchEntry::setP2(SchPoint) {}

const Ce3RecordName& SchEntry::tag() const {
    return kCe3Entry;
}

std::unique_ptr<SchElement> SchEntry::clone() const {
    return std::make_unique<SchEntry>(*this);
}

int SchEntry::areaPointFlags(const SchRect& r) const {
    return areaCrossFlags(r);
}

std::unique_ptr<SchElement> SchBusEntry::clone() const {
    return std::make_unique<SchBusEntry>(*this);
}

const Ce3RecordName& SchBusEntry::tag() const {
    return kCe3BusEntry;
}
