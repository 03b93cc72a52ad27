#pragma once

#include "model/element.h"

class Ce3RecordName;

// A straight segment from p1 to p2 with the shared line record (wire, bus, dash, entries).
class SchLineElement : public SchElement {
  public:
    SchPoint position() const override;
    int hitTest(SchPoint p) const override;
    int areaCrossFlags(const SchRect& r) const override;
    int areaPointFlags(const SchRect& r) const override;
    bool touchesArea(const SchRect& r) const override;
    SchRect area() const override;
    SchRect pointArea() const override;
    bool isValid() const override;

    // Reads the body of a line record that `tag` closes.
    virtual bool readLineCe3(Ce3Reader& reader, const SchPoint* offset, const Ce3RecordName& tag);
    // Writes the whole line record under `tag`.
    virtual bool writeLineCe3(Ce3Writer& writer, const SchPoint* offset, const Ce3RecordName& tag);
};

class SchWire : public SchLineElement {
  public:
    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Wire; }
    std::unique_ptr<SchElement> clone() const override;
};

class SchBus : public SchLineElement {
  public:
    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Bus; }
    std::unique_ptr<SchElement> clone() const override;
};

class SchDash : public SchLineElement {
  public:
    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::Dash; }
    std::unique_ptr<SchElement> clone() const override;
};
