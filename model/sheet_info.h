#pragma once

#include "model/element.h"

// The sheet size record: p1 holds width and height, layer the "EL" number and selection the
// "VL" number. Never part of a document's lists; every setter leaves it unchanged.
class SchSheetInfo : public SchElement {
  public:
    static constexpr int32_t kMinWidth = 500;
    static constexpr int32_t kMaxWidth = 5000;
    static constexpr int32_t kMinHeight = 400;
    static constexpr int32_t kMaxHeight = 4000;

    SchSheetInfo();

    bool readCe3(Ce3Reader& reader, const SchPoint* offset, SchDocument* document) override;
    bool writeCe3(Ce3Writer& writer, const SchPoint* offset) override;
    int kind() const override { return SchKind::SheetInfo; }
    void setX1(int32_t v) override;
    void setY1(int32_t v) override;
    void setX2(int32_t v) override;
    void setY2(int32_t v) override;
    void setP1(SchPoint p) override;
    void setP2(SchPoint p) override;
    std::unique_ptr<SchElement> clone() const override;
    void move(int32_t dx, int32_t dy) override;
    void mirror() override;
    void mirrorAt(int32_t axis) override;
    void rotate() override;
    void rotateAt(SchPoint centre) override;
    int hitTest(SchPoint p) const override;
    void setSelection(int32_t flags) override;
    void clearSelection() override;
    int areaCrossFlags(const SchRect& r) const override;
    int areaPointFlags(const SchRect& r) const override;
    bool touchesArea(const SchRect& r) const override;
    SchRect area() const override;
};
