#pragma once

#include "model/line_element.h"

// A 10 x 10 slanted stub rising from its lower end p1 to the right or to the left.
class SchEntry : public SchLineElement {
  public:
    SchEntry();

    // Puts the lower end first; returns whether the stub rises to the right.
    bool orderEnds();
    // Recomputes p2 from p1: rising 10 and running 10 to the right (true) or left (false).
    void setSlant(bool toRight);

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Entry; }
    void setX1(int32_t v) override;
    void setY1(int32_t v) override;
    void setP1(SchPoint p) override;
    void setX2(int32_t v) override;
    void setY2(int32_t v) override;
    void setP2(SchPoint p) override;
    std::unique_ptr<SchElement> clone() const override;
    int areaPointFlags(const SchRect& r) const override;

  protected:
    virtual const Ce3RecordName& tag() const;
};

class SchBusEntry : public SchEntry {
  public:
    int kind() const override { return SchKind::BusEntry; }
    std::unique_ptr<SchElement> clone() const override;

  protected:
    const Ce3RecordName& tag() const override;
};
