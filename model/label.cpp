#include "model/label.h"

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/box_record.h"
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
    writeBoxRecord(writer, *this, kCe3Label, offset,
                   Ce3Writer::field(kCe3KeyHorizontal, horizontal ? 1 : 0),
                   Ce3Writer::field(kCe3KeyText, text));
    return true;
}

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
