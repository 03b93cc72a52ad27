#pragma once

#include <string>
#include <string_view>

#include "model/element.h"
#include "model/part_library.h"

// Hit-test flags of a component's name and reference texts, beside kHitElement for its body.
inline constexpr int kHitName = 0x20000;
inline constexpr int kHitReference = 0x40000;

// A placed instance of a library part: a body whose bottom-right corner is p1, in one of eight
// orientations, with a name and a reference text beside it.
class SchComponent : public SchBoxElement {
  public:
    std::string name;
    SchPoint namePos{2, 20};  // relative to p1
    std::string reference;
    SchPoint refPos{2, 10};  // relative to p1
    int32_t block = 0;
    int32_t direction = 0;              // bits 0-1 clockwise quarter turns, bit 2 mirrored
    int32_t pinSides = 0;               // the sides with pins, as pinSideBit sets them
    const LibraryPart* part = nullptr;  // not owned
    std::string libraryName;

    SchComponent() = default;
    // A component as a drawing's record gives it; the direction keeps its low three bits.
    SchComponent(int32_t onLayer, SchPoint corner, std::string_view partName, SchPoint nameAt,
                 std::string_view referenceText, SchPoint referenceAt, std::string_view library,
                 int32_t blockNumber, int32_t directionBits)
        : SchBoxElement(onLayer, corner),
          name(partName),
          namePos(nameAt),
          reference(referenceText),
          refPos(referenceAt),
          block(blockNumber),
          direction(directionBits & 7),
          libraryName(library) {}

    void setName(const char* s);
    void setReference(const char* s);
    void setLibraryName(const char* s);
    void setBlock(int32_t b);
    void setDirection(int32_t d);

    SchPoint bodySize() const;
    SchRect bodyArea() const;
    // The boxes of the name and reference texts at the fixed metrics: the baseline starts at p1
    // plus namePos or refPos, 8 units per byte, 10 high.
    SchRect nameBox() const;
    SchRect referenceBox() const;
    // Pin n's side as drawn and its end point; null when there is no such pin.
    const LibraryPin* pinPoint(int n, int& side, SchPoint& end) const;
    void updatePinSides();

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Component; }
    std::unique_ptr<SchElement> clone() const override;
    void move(int32_t dx, int32_t dy) override;
    void mirror() override;
    void mirrorAt(int32_t axis) override;
    void rotate() override;
    void rotateAt(SchPoint centre) override;
    int hitTest(SchPoint p) const override;
    int areaCrossFlags(const SchRect& r) const override;
    bool touchesArea(const SchRect& r) const override;
    int connectionCount() const override;
    SchPoint connectionPoint(int index) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
    bool isTextual() const override { return true; }
};
