#include "model/label.h"

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/text_metrics.h"
#include "platform/numbers.h"

void SchLabel::setText(const char* s) {
    text = s != nullptr ? s : "";
}

bool SchLabel::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    return readRecordBody(reader, kCe3Label.close(), EmptyValue::Ignore, {"X", "Y", "D", "S"},
                          [&](std::string_view key, std::string_view value) {
                              if (key == "X") {
                                  p1.x = addOffsetX(atoiField(value), offset);
                              } else if (key == "Y") {
                                  p1.y = addOffsetY(atoiField(value), offset);
                              } else if (key == "D") {
                                  horizontal = atoiField(value) != 0;
                              } else if (key == "S") {
                                  text = cText(value);
                              }
                          });
}

bool SchLabel::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    writer.writeToken(kCe3Label.open());
    writer.writeIntField("L", layer);
    writer.writeIntField("X", subOffsetX(p1.x, offset));
    writer.writeIntField("Y", subOffsetY(p1.y, offset));
    writer.writeIntField("D", horizontal ? 1 : 0);
    writer.writeStringField("S", text);
    writer.writeToken(kCe3Label.close());
    writer.endLine();
    return true;
}

// A label has one point: the second is never set.
void SchLabel::setX2(int32_t) {}
void SchLabel::setY2(int32_t) {}
void SchLabel::setP2(SchPoint) {}

std::unique_ptr<SchElement> SchLabel::clone() const {
    return std::make_unique<SchLabel>(*this);
}

void SchLabel::mirror() {}

void SchLabel::rotate() {
    rotateAt(p1);
}

void SchLabel::rotateAt(SchPoint centre) {
    horizontal = !horizontal;
    SchElement::rotateAt(centre);
}

int SchLabel::hitTest(SchPoint p) const {
    return hitElementBox(p, area());
}

int SchLabel::areaCrossFlags(const SchRect& r) const {
    return r.intersects(area()) ? SchSelection::Whole : SchSelection::None;
}

int SchLabel::areaPointFlags(const SchRect& r) const {
    return areaCrossFlags(r);
}

bool SchLabel::touchesArea(const SchRect& r) const {
    return r.intersects(area());
}

SchRect SchLabel::area() const {
    const int64_t length = fixedTextWidth(text);
    if (horizontal) {
        return SchRect(p1.x, clamp32(int64_t{p1.y} - kTextHeight), clamp32(int64_t{p1.x} + length),
                       p1.y);
    }
    return SchRect(clamp32(int64_t{p1.x} - kTextHeight), clamp32(int64_t{p1.y} - length), p1.x,
                   p1.y);
}

SchRect SchLabel::pointArea() const {
    return SchRect(p1, p1);
}

bool SchLabel::isValid() const {
    return !text.empty();
}
