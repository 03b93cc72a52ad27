#pragma once

#include "model/element.h"

// A connection dot at p1.
class SchJunction : public SchBoxElement {
  public:
    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Junction; }
    std::unique_ptr<SchElement> clone() const override;
    void mirror() override;
    void rotate() override;
    int hitTest(SchPoint p) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
};
