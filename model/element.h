#pragma once

#include <cstdint>
#include <memory>

#include "model/geometry.h"

class Ce3Reader;
class Ce3Writer;
class SchDocument;

// Kind ids returned by SchElement::kind.
struct SchKind {
    static constexpr int Junction = 0;
    static constexpr int Entry = 1;
    static constexpr int BusEntry = 2;
    static constexpr int Bus = 3;
    static constexpr int Wire = 4;
    static constexpr int Dash = 5;
    static constexpr int Label = 6;
    static constexpr int Tag = 7;
    static constexpr int Component = 8;
    static constexpr int SheetInfo = 9;
    static constexpr int Comment = 10;
    static constexpr int DeletionMark = 254;
};

// Selection flags: which points of an element are selected; areaCrossFlags and areaPointFlags
// answer in them too.
struct SchSelection {
    static constexpr int32_t None = 0;
    static constexpr int32_t P1 = 1;
    static constexpr int32_t P2 = 2;
    static constexpr int32_t Whole = P1 | P2;
};

// Hit-test flag of the element itself, in the upper half of a hitTest result.
inline constexpr int kHitElement = 0x10000;

// The abstract base of every element of a drawing.
class SchElement {
  public:
    int32_t stamp = 0;           // operation number at which the document took the element
    SchElement* link = nullptr;  // undo partner; null for a live element (not owned)
    int32_t layer = 0;
    SchPoint p1{-1, -1};
    SchPoint p2{0, 0};
    int32_t selection = SchSelection::None;

    SchElement() = default;
    SchElement(const SchElement&) = default;
    SchElement& operator=(const SchElement&) = delete;
    virtual ~SchElement();

    // Reads the record body after its opening token; offset (may be null) is added to every
    // coordinate read. The document (may be null) is the one loading the element.
    virtual bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document);
    // Writes the whole record on one line; offset (may be null) is subtracted from coordinates.
    virtual bool writeCe3(Ce3Writer& writer, const SchPoint* offset);
    virtual int kind() const = 0;
    virtual void setX1(int32_t v);
    virtual void setY1(int32_t v);
    virtual void setX2(int32_t v);
    virtual void setY2(int32_t v);
    virtual void setP1(SchPoint p);
    virtual void setP2(SchPoint p);
    virtual int32_t x2() const;
    virtual int32_t y2() const;
    virtual SchPoint getP2() const;
    virtual SchPoint position() const;
    virtual std::unique_ptr<SchElement> clone() const;
    virtual void move(int32_t dx, int32_t dy);
    virtual void mirror();
    virtual void mirrorAt(int32_t axis);
    virtual void rotate();
    virtual void rotateAt(SchPoint centre);
    virtual int hitTest(SchPoint p) const;
    virtual void setSelection(int32_t flags);
    virtual void clearSelection();
    virtual int areaCrossFlags(const SchRect& r) const;
    virtual int areaPointFlags(const SchRect& r) const;
    virtual bool touchesArea(const SchRect& r) const;
    virtual int connectionCount() const;
    virtual SchPoint connectionPoint(int index) const;
    virtual SchRect area() const;
    virtual SchRect pointArea() const;
    virtual bool isValid() const;
    virtual bool isTextual() const;

  protected:
    // An element on `onLayer` placed at `first`, as a drawing's record gives it.
    SchElement(int32_t onLayer, SchPoint first) : layer(onLayer), p1(first) {}
};

// An element placed at its one point p1 that occupies the box area(): its second point is not set
// from outside (a tag derives its far end from its text), and an area selects it whole when the
// two meet. Its record begins with the layer and p1 (writeBoxRecord, model/box_record.h).
class SchBoxElement : public SchElement {
  public:
    SchBoxElement() = default;

    void setX2(int32_t v) override;
    void setY2(int32_t v) override;
    void setP2(SchPoint p) override;
    int areaCrossFlags(const SchRect& r) const override;
    int areaPointFlags(const SchRect& r) const override;
    bool touchesArea(const SchRect& r) const override;

  protected:
    using SchElement::SchElement;
};

// Offset helpers shared by the records: a coordinate plus or minus an optional offset,
// saturating at the 32-bit range.
inline int32_t addOffsetX(int32_t v, const SchPoint* offset) {
    return offset ? clamp32(int64_t{v} + offset->x) : v;
}
inline int32_t addOffsetY(int32_t v, const SchPoint* offset) {
    return offset ? clamp32(int64_t{v} + offset->y) : v;
}
inline int32_t subOffsetX(int32_t v, const SchPoint* offset) {
    return offset ? clamp32(int64_t{v} - offset->x) : v;
}
inline int32_t subOffsetY(int32_t v, const SchPoint* offset) {
    return offset ? clamp32(int64_t{v} - offset->y) : v;
}

// Quarter turn of p about c, clockwise on the screen: (c.x + c.y - p.y, c.y - c.x + p.x).
SchPoint quarterTurn(SchPoint p, SchPoint c);

// The hit-test result of an element occupying `box`: 0 unless p lies strictly inside, else the
// element flag with the score.
int hitElementBox(SchPoint p, const SchRect& box);

// x mirrored about the vertical line at axis: 2 * axis - x.
int32_t mirrorX(int32_t x, int32_t axis);
