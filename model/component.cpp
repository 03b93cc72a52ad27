#include "model/component.h"

#include <algorithm>

#include "ce3/ce3_writer.h"
#include "ce3/record_body.h"
#include "ce3/record_names.h"
#include "model/box_record.h"
#include "model/text_metrics.h"
#include "platform/numbers.h"

namespace {

constexpr SchPoint kNamePosDefault{2, 20};
constexpr SchPoint kRefPosDefault{2, 10};
constexpr int64_t kGridUnit = 10;
constexpr int64_t kPinLength = 10;  // a pin ends this far outside the body
constexpr int32_t kAllPinSides = pinSideBit(PinSide::Left) | pinSideBit(PinSide::Top) |
                                 pinSideBit(PinSide::Right) | pinSideBit(PinSide::Bottom);

std::string textOf(const char* s) {
    return s != nullptr ? std::string(s) : std::string();
}

// The box of a text whose baseline starts at `anchor` + `pos`, at the fixed metrics.
SchRect textBox(SchPoint anchor, SchPoint pos, const std::string& text) {
    return SchRect::fromPosSize(int64_t{anchor.x} + pos.x, int64_t{anchor.y} + pos.y - kTextHeight,
                                fixedTextWidth(text), kTextHeight);
}

// Directions in which a pin on a left or right side is placed counting up from the bottom edge.
bool countsFromBottom(int32_t direction) {
    return direction == 2 || direction == 3 || direction == 6 || direction == 7;
}

// Directions in which a pin on a top or bottom side is placed counting left from the right edge.
bool countsFromRight(int32_t direction) {
    return direction == 1 || direction == 2 || direction == 4 || direction == 7;
}

// A quarter turn clockwise: an unmirrored orientation counts up, a mirrored one down, and every
// pin side moves on to the next (left, top, right, bottom, left).
void quarterTurnStep(int32_t& direction, int32_t& pinSides) {
    const int32_t d = direction & 7;
    direction = (d & 4) != 0 ? 4 | ((d - 1) & 3) : (d + 1) & 3;
    const int32_t sides = pinSides & kAllPinSides;
    pinSides = ((sides << 1) | (sides >> 3)) & kAllPinSides;
}

// A mirror left to right: the mirrored bit flips and the left and right pin sides swap.
void mirrorStep(int32_t& direction, int32_t& pinSides) {
    direction = (direction ^ 4) & 7;
    const int32_t left = pinSideBit(PinSide::Left);
    const int32_t right = pinSideBit(PinSide::Right);
    pinSides = (pinSides & ~(left | right)) | ((pinSides & left) != 0 ? right : 0) |
               ((pinSides & right) != 0 ? left : 0);
}

}  // namespace

void SchComponent::setName(const char* s) {
    name = textOf(s);
}

void SchComponent::setReference(const char* s) {
    reference = textOf(s);
}

void SchComponent::setLibraryName(const char* s) {
    libraryName = textOf(s);
}

void SchComponent::setBlock(int32_t b) {
    block = b;
}

void SchComponent::setDirection(int32_t d) {
    direction = d & 7;
}

SchPoint SchComponent::bodySize() const {
    if (part == nullptr) {
        return SchPoint(20, 20);
    }
    const int32_t w = clamp32(int64_t{part->size.x} * kGridUnit);
    const int32_t h = clamp32(int64_t{part->size.y} * kGridUnit);
    return (direction & 1) != 0 ? SchPoint(h, w) : SchPoint(w, h);
}

SchRect SchComponent::bodyArea() const {
    const SchPoint size = bodySize();
    return SchRect(clamp32(int64_t{p1.x} - size.x), clamp32(int64_t{p1.y} - size.y), p1.x, p1.y);
}

SchRect SchComponent::nameBox() const {
    return textBox(p1, namePos, name);
}

SchRect SchComponent::referenceBox() const {
    return textBox(p1, refPos, reference);
}

const LibraryPin* SchComponent::pinPoint(int n, int& side, SchPoint& end) const {
    if (part == nullptr || n < 0 || static_cast<std::size_t>(n) >= part->pins.size()) {
        return nullptr;
    }
    const LibraryPin& pin = part->pins[static_cast<std::size_t>(n)];
    const int64_t v = int64_t{pin.position} * kGridUnit;
    const SchPoint size = bodySize();

    // Each quarter turn moves a side on clockwise; a mirrored orientation swaps left and right.
    int drawnSide = static_cast<int>((int64_t{pin.side} + direction) & 3);
    const bool leftOrRight = drawnSide == PinSide::Left || drawnSide == PinSide::Right;
    if ((direction & 4) != 0 && leftOrRight) {
        drawnSide = drawnSide == PinSide::Left ? PinSide::Right : PinSide::Left;
    }

    int64_t x = 0;
    int64_t y = 0;
    if (leftOrRight) {
        x = drawnSide == PinSide::Left ? int64_t{p1.x} - size.x - kPinLength
                                       : int64_t{p1.x} + kPinLength;
        y = countsFromBottom(direction) ? int64_t{p1.y} - v : int64_t{p1.y} - size.y + v;
    } else {
        y = drawnSide == PinSide::Top ? int64_t{p1.y} - size.y - kPinLength
                                      : int64_t{p1.y} + kPinLength;
        x = countsFromRight(direction) ? int64_t{p1.x} - v : int64_t{p1.x} - size.x + v;
    }
    side = drawnSide;
    end = SchPoint(clamp32(x), clamp32(y));
    return &pin;
}

void SchComponent::updatePinSides() {
    if (part == nullptr) {
        pinSides = 0;
        return;
    }
    const int count = connectionCount();
    for (int n = 0; n < count; ++n) {
        int side = 0;
        SchPoint end;
        if (pinPoint(n, side, end) != nullptr) {
            pinSides |= pinSideBit(side);
        }
    }
}

bool SchComponent::readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument*) {
    const bool complete = readRecordBody(
        reader, kCe3Component.close(), EmptyValue::Accept, {"X", "Y", "LIB"},
        [&](std::string_view key, std::string_view value) {
            if (key == "X") {
                p1.x = addOffsetX(atoiField(value), offset);
            } else if (key == "Y") {
                p1.y = addOffsetY(atoiField(value), offset);
            } else if (key == "LIB") {
                libraryName = cText(value);
                part = findLibraryPart(libraryName.c_str(), nullptr, nullptr, nullptr);
            } else if (key == "DIR") {
                const int32_t d = atoiField(value);
                if (d >= 0 && d <= 7) {
                    direction = d;
                }
            } else if (key == "BLK") {
                const int32_t b = atoiField(value);
                block = (part != nullptr && b >= 0 && b < part->blockCount) ? b : 0;
            } else if (key == "N") {
                name = cText(value);
            } else if (key == "NX") {
                namePos.x = atoiField(value);
            } else if (key == "NY") {
                namePos.y = atoiField(value);
            } else if (key == "R") {
                reference = cText(value);
            } else if (key == "RX") {
                refPos.x = atoiField(value);
            } else if (key == "RY") {
                refPos.y = atoiField(value);
            }
        });
    if (!complete) {
        return false;
    }
    updatePinSides();
    return true;
}

bool SchComponent::writeCe3(Ce3Writer& writer, const SchPoint* offset) {
    writeBoxRecord(
        writer, *this, kCe3Component, offset, Ce3Writer::field(kCe3KeyLibrary, libraryName),
        Ce3Writer::field(kCe3KeyDirection, direction), Ce3Writer::field(kCe3KeyBlock, block),
        Ce3Writer::field(kCe3KeyName, name), Ce3Writer::field(kCe3KeyNameX, namePos.x),
        Ce3Writer::field(kCe3KeyNameY, namePos.y), Ce3Writer::field(kCe3KeyReference, reference),
        Ce3Writer::field(kCe3KeyReferenceX, refPos.x),
        Ce3Writer::field(kCe3KeyReferenceY, refPos.y));
    return true;
}

std::unique_ptr<SchElement> SchComponent::clone() const {
    return std::make_unique<SchComponent>(*this);
}

void SchComponent::move(int32_t dx, int32_t dy) {
    p1 += SchPoint(dx, dy);
}

void SchComponent::mirror() {
    mirrorAt(clamp32(int64_t{p1.x} - bodySize().x / 2));
}

void SchComponent::mirrorAt(int32_t axis) {
    const int64_t d = bodySize().x / 2;
    namePos.x = clamp32(-2 * d - namePos.x - fixedTextWidth(name));
    refPos.x = clamp32(-2 * d - refPos.x - fixedTextWidth(reference));
    p1.x = clamp32(2 * int64_t{axis} - p1.x + 2 * d);
    mirrorStep(direction, pinSides);
}

void SchComponent::rotate() {
    namePos = kNamePosDefault;
    refPos = kRefPosDefault;
    quarterTurnStep(direction, pinSides);
}

void SchComponent::rotateAt(SchPoint centre) {
    namePos = kNamePosDefault;
    refPos = kRefPosDefault;
    const SchPoint turned = quarterTurn(bodyArea().centre(), centre);
    quarterTurnStep(direction, pinSides);
    const SchPoint size = bodySize();
    p1 = SchPoint(clamp32(int64_t{turned.x} + size.x / 2), clamp32(int64_t{turned.y} + size.y / 2));
}

int SchComponent::hitTest(SchPoint p) const {
    const int bodyScore = hitScore(p, bodyArea());
    const int nameScore = hitScore(p, nameBox());
    const int refScore = hitScore(p, referenceBox());
    int flags = 0;
    if (bodyScore != 0) {
        flags |= kHitElement;
    }
    if (nameScore != 0) {
        flags |= kHitName;
    }
    if (refScore != 0) {
        flags |= kHitReference;
    }
    if (flags == 0) {
        return 0;
    }
    return flags | std::max({bodyScore, nameScore, refScore});
}

int SchComponent::areaCrossFlags(const SchRect& r) const {
    return r.intersects(bodyArea()) ? SchSelection::Whole : SchSelection::None;
}

bool SchComponent::touchesArea(const SchRect&) const {
    return true;
}

int SchComponent::connectionCount() const {
    if (part == nullptr) {
        return 0;
    }
    return static_cast<int>(std::min<std::size_t>(part->pins.size(), INT32_MAX));
}

SchPoint SchComponent::connectionPoint(int index) const {
    int side = 0;
    SchPoint end;
    return pinPoint(index, side, end) != nullptr ? end : SchPoint(0, 0);
}

SchRect SchComponent::area() const {
    SchRect r = bodyArea();
    if ((pinSides & pinSideBit(PinSide::Left)) != 0) {
        r.left = clamp32(int64_t{r.left} - kPinLength);
    }
    if ((pinSides & pinSideBit(PinSide::Top)) != 0) {
        r.top = clamp32(int64_t{r.top} - kPinLength);
    }
    if ((pinSides & pinSideBit(PinSide::Right)) != 0) {
        r.right = clamp32(int64_t{r.right} + kPinLength);
    }
    if ((pinSides & pinSideBit(PinSide::Bottom)) != 0) {
        r.bottom = clamp32(int64_t{r.bottom} + kPinLength);
    }
    return r;
}

SchRect SchComponent::pointArea() const {
    return bodyArea();
}
