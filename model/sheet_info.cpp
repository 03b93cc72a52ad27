#include "model/sheet_info.h"

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "platform/numbers.h"

SchSheetInfo::SchSheetInfo() {
    p1 = SchPoint(1500, 1000);
}

bool SchSheetInfo::readCe3(Ce3Reader& reader, const SchPoint*, SchDocument*) {
    // A size field is any token starting "W:" or "H:", empty value included; a size out of range
    // keeps the current one but still counts as present.
    return readRecordBody(reader, kCe3SheetInfo.close(), EmptyValue::Accept, {"W", "H"},
                          [&](std::string_view key, std::string_view value) {
                              if (key == "H") {
                                  const int32_t v = atoiField(value);
                                  if (v >= kMinHeight && v <= kMaxHeight) {
                                      p1.y = v;
                                  }
                              } else if (key == "W") {
                                  const int32_t v = atoiField(value);
                                  if (v >= kMinWidth && v <= kMaxWidth) {
                                      p1.x = v;
                                  }
                              }
                          });
}

bool SchSheetInfo::writeCe3(Ce3Writer& writer, const SchPoint*) {
    writer.writeRecord(kCe3SheetInfo, Ce3Writer::field(kCe3KeyEL, layer),
                       Ce3Writer::field(kCe3KeyVL, selection), Ce3Writer::field(kCe3KeyWidth, p1.x),
                       Ce3Writer::field(kCe3KeyHeight, p1.y));
    return true;
}

// The owner assigns p1, layer and selection directly; the element interface changes nothing.
void SchSheetInfo::setX1(int32_t) {}
void SchSheetInfo::setY1(int32_t) {}
void SchSheetInfo::setX2(int32_t) {}
void SchSheetInfo::setY2(int32_t) {}
void SchSheetInfo::setP1(SchPoint) {}
void SchSheetInfo::setP2(SchPoint) {}

std::unique_ptr<SchElement> SchSheetInfo::clone() const {
    return nullptr;
}

void SchSheetInfo::move(int32_t, int32_t) {}
void SchSheetInfo::mirror() {}
void SchSheetInfo::mirrorAt(int32_t) {}
void SchSheetInfo::rotate() {}
void SchSheetInfo::rotateAt(SchPoint) {}

int SchSheetInfo::hitTest(SchPoint) const {
    return 0;
}
void SchSheetInfo::setSelection(int32_t) {}
void SchSheetInfo::clearSelection() {}
int SchSheetInfo::areaCrossFlags(const SchRect&) const {
    return 0;
}
int SchSheetInfo::areaPointFlags(const SchRect&) const {
    return 0;
}
bool SchSheetInfo::touchesArea(const SchRect&) const {
    return false;
}

SchRect SchSheetInfo::area() const {
    return SchRect::fromPosSize(0, 0, p1.x, p1.y);
}
