#pragma once

#include "model/element.h"

// A connection dot at p1.
class SchJunction : public SchElement {
  public:
    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Junction; }
    void setX2(int32_t v) override;
    void setY2(int32_t v) override;
    void setP2(SchPoint p) override;
    std::unique_ptr<SchElement> clone() const override;
    void mirror() override;
    void rotate() override;
    int hitTest(SchPoint p) const override;
    int areaCrossFlags(const SchRect& r) const override;
    int areaPointFlags(const SchRect& r) const override;
    bool touchesArea(const SchRect& r) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
};
