#include "model/junction.h"

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/box_record.h"
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
    writeBoxRecord(writer, *this, kCe3Junction, offset);
    return true;
}

std::unique_ptr<SchElement> SchJunction::clone() const {
    return std::make_unique<SchJunction>(*this);
}

// A point mirrored or turned about itself stays where it is.
void SchJunction::mirror() {}
void SchJunction::rotate() {}

int SchJunction::hitTest(SchPoint p) const {
    return hitElementBox(p, area());
}

SchRect SchJunction::area() const {
    return pickBox(p1);
}

SchRect SchJunction::pointArea() const {
    return SchRect(p1, p1);
}
