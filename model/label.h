#pragma once

#include <string>
#include <string_view>

#include "model/element.h"

// A short text at an anchor p1, running right (horizontal) or up, at the fixed text metrics.
class SchLabel : public SchBoxElement {
  public:
    std::string text;
    bool horizontal = true;

    SchLabel() = default;
    // A label as a drawing's record gives it.
    SchLabel(int32_t onLayer, SchPoint anchor, std::string_view textBytes, bool runsRight)
        : SchBoxElement(onLayer, anchor), text(textBytes), horizontal(runsRight) {}

    // A null pointer gives the empty text.
    void setText(const char* s);

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Label; }
    std::unique_ptr<SchElement> clone() const override;
    void mirror() override;
    void rotate() override;
    void rotateAt(SchPoint centre) override;
    int hitTest(SchPoint p) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
    bool isValid() const override;
    bool isTextual() const override { return true; }
};
