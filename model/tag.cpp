#include "model/tag.h"

#include <iterator>
#include <utility>

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/box_record.h"
#include "model/text_metrics.h"
#include "platform/numbers.h"

namespace {

// Length of a tag for texts of up to 12 bytes; longer texts follow tagLength's formula.
constexpr int64_t kShortLengths[] = {20, 20, 30, 40, 50, 60, 70, 80, 80, 90, 100, 110, 120};
constexpr std::size_t kShortLimit = std::size(kShortLengths) - 1;

int64_t tagLength(std::size_t bytes) {
    if (bytes <= kShortLimit) {
        return kShortLengths[bytes];
    }
    return (kTextByteWidth * static_cast<int64_t>(bytes) + 29) / 10 * 10;
}

// Shapes 1 and 2 are mirror images of each other; 0 and 3 are symmetric.
int32_t mirroredType(int32_t type) {
    if (type == 1) {
        return 2;
    }
    if (type == 2) {
        return 1;
    }
    return type;
}

}  // namespace

void SchTag::setText(const char* s) {
    text = s != nullptr ? s : "";
    updateEnd();
}

void SchTag::updateEnd() {
    const int64_t length = tagLength(text.size());
    if (horizontal) {
        p2 = SchPoint(clamp32(int64_t{p1.x} + length), p1.y);
    } else {
        p2 = SchPoint(p1.x, clamp32(int64_t{p1.y} - length));
    }
}

void SchTag::normalizeEnds() {
    if (horizontal) {
        if (p1.x > p2.x) {
            std::swap(p1.x, p2.x);
        }
    } else if (p1.y < p2.y) {
        std::swap(p1.y, p2.y);
    }
}

bool SchTag::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    const bool complete =
        readRecordBody(reader, kCe3Tag.close(), EmptyValue::Accept, {"X", "Y", "D", "T", "S"},
                       [&](std::string_view key, std::string_view value) {
                           if (key == "X") {
                               p1.x = addOffsetX(atoiField(value), offset);
                           } else if (key == "Y") {
                               p1.y = addOffsetY(atoiField(value), offset);
                           } else if (key == "D") {
                               horizontal = atoiField(value) != 0;
                           } else if (key == "T") {
                               const int32_t type = atoiField(value);
                               tagType = type >= 1 && type <= 3 ? type : 0;
                           } else if (key == "S") {
                               text = cText(value);
                           }
                       });
    if (!complete) {
        return false;
    }
    updateEnd();
    return true;
}

bool SchTag::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    writeBoxRecord(writer, *this, kCe3Tag, offset,
                   Ce3Writer::field(kCe3KeyHorizontal, horizontal ? 1 : 0),
                   Ce3Writer::field(kCe3KeyTagType, tagType), Ce3Writer::field(kCe3KeyText, text));
    return true;
}

std::unique_ptr<SchElement> SchTag::clone() const {
    return std::make_unique<SchTag>(*this);
}

void SchTag::mirrorAt(int32_t axis) {
    if (horizontal) {
        tagType = mirroredType(tagType);
    }
    SchElement::mirrorAt(axis);
    normalizeEnds();
}

void SchTag::rotate() {
    rotateAt(area().centre());
}

void SchTag::rotateAt(SchPoint centre) {
    if (horizontal) {
        horizontal = false;
    } else {
        horizontal = true;
        tagType = mirroredType(tagType);
    }
    SchElement::rotateAt(centre);
    normalizeEnds();
}

int SchTag::hitTest(SchPoint p) const {
    return hitElementBox(p, area());
}

SchPoint SchTag::connectionPoint(int index) const {
    return index == 0 ? p1 : p2;
}

SchRect SchTag::area() const {
    if (horizontal) {
        return SchRect(p1.x, clamp32(int64_t{p1.y} - 5), clamp32(int64_t{p2.x} + 1),
                       clamp32(int64_t{p1.y} + 6));
    }
    return SchRect(clamp32(int64_t{p2.x} - 5), p2.y, clamp32(int64_t{p2.x} + 6),
                   clamp32(int64_t{p1.y} + 1));
}

SchRect SchTag::pointArea() const {
    return SchRect(p1, p2);
}
