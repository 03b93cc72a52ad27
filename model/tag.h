#pragma once

#include <string>
#include <string_view>

#include "model/element.h"

// A text laid along the line p1..p2 in one of four shapes; its length follows from the text.
class SchTag : public SchBoxElement {
  public:
    std::string text;
    bool horizontal = true;
    int32_t tagType = 0;  // shape 0..3; 1 and 2 mirror each other

    SchTag() = default;
    // A horizontal tag as a drawing's record gives it, its end following from the text.
    SchTag(int32_t onLayer, SchPoint start, std::string_view textBytes, int32_t shape)
        : SchBoxElement(onLayer, start), text(textBytes), tagType(shape) {
        updateEnd();
    }

    // A null pointer gives the empty text; recomputes p2.
    void setText(const char* s);
    // Recomputes p2 from p1, the text length and the direction.
    void updateEnd();
    // Puts p1 at the left end (horizontal) or the bottom end (vertical).
    void normalizeEnds();

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Tag; }
    std::unique_ptr<SchElement> clone() const override;
    void mirrorAt(int32_t axis) override;
    void rotate() override;
    void rotateAt(SchPoint centre) override;
    int hitTest(SchPoint p) const override;
    int connectionCount() const override { return 2; }
    SchPoint connectionPoint(int index) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
    bool isTextual() const override { return true; }
};
