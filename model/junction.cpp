#include "model/junction.h"

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "platform/numbers.h"

bool SchJunction::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    return readRecordBody(reader, kCe3Junction.close(), EmptyValue::Ignore, {"X", "Y"},
                          [&](std::string_view key, std::string_view value) {
                              if (key == "X") {
                                  p1.x = addOffsetX(atoiField(value), offset);
                              } else if (key == "Y") {
                                  p1.y = addOffsetY(atoiField(value), offset);
                              }
                          });
}

bool SchJunction::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    writer.writeToken(kCe3Junction.open());
    writer.writeIntField("L", layer);
    writer.writeIntField("X", subOffsetX(p1.x, offset));
    writer.writeIntField("Y", subOffsetY(p1.y, offset));
    writer.writeToken(kCe3Junction.close());
    writer.endLine();
    return true;
}

// A junction has one point; the second is never set.
void SchJunction::setX2(int32_t) {}
void SchJunction::setY2(int32_t) {}
void SchJunction::setP2(SchPoint) {}

std::unique_ptr<SchElement> SchJunction::clone() const {
    return std::make_unique<SchJunction>(*this);
}

// A point mirrored or turned about itself stays where it is.
void SchJunction::mirror() {}
void SchJunction::rotate() {}

int SchJunction::hitTest(SchPoint p) const {
    return hitElementBox(p, area());
}

int SchJunction::areaCrossFlags(const SchRect& r) const {
    return area().intersects(r) ? SchSelection::Whole : SchSelection::None;
}

int SchJunction::areaPointFlags(const SchRect& r) const {
    return areaCrossFlags(r);
}

bool SchJunction::touchesArea(const SchRect& r) const {
    return area().intersects(r);
}

SchRect SchJunction::area() const {
    return pickBox(p1);
}

SchRect SchJunction::pointArea() const {
    return SchRect(p1, p1);
}
