#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "model/geometry.h"

// What a drawing is made of, in drawing units (x to the right, y downward). The SVG writer and
// the dialog's painter both draw from these, so that they show the same picture.

enum class Stroke {
    Thin,   // wires, entries, outlines
    Thick,  // buses and bus entries
    Dashed  // dashed lines
};

struct LinePrimitive {
    SchPoint from;
    SchPoint to;
    Stroke stroke = Stroke::Thin;
};

// An open or closed chain of straight segments.
struct PolylinePrimitive {
    std::vector<SchPoint> points;
    bool closed = false;
    Stroke stroke = Stroke::Thin;
};

struct RectPrimitive {
    SchRect rect;
    Stroke stroke = Stroke::Thin;
};

struct DotPrimitive {
    SchPoint centre;
    int32_t radius = 0;
};

// One line of text. Its baseline starts at `anchor` and runs to the right, or upward when
// `upward` is set (the glyphs then stand to the left of the anchor's x).
struct TextPrimitive {
    SchPoint anchor;
    bool upward = false;
    std::string bytes;  // CP932, as the drawing holds it
    std::string face;   // CP932 face name; empty for the fixed-metric texts
    int32_t size = 10;  // height of the font's em square
    // When positive, the text is stretched or squeezed to exactly this advance: the texts of
    // fixed metrics fill the box that the element's geometry gives them.
    int64_t fitWidth = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

using Primitive =
    std::variant<LinePrimitive, PolylinePrimitive, RectPrimitive, DotPrimitive, TextPrimitive>;

// One element of the document as drawn.
struct DrawnElement {
    int kind = 0;               // SchKind of the element
    bool outsideSheet = false;  // its area misses the sheet: a conversion leaves it out
    SchRect area;               // the element's own area, framed when it is outside the sheet
    std::vector<Primitive> primitives;
};

struct Drawing {
    SchRect sheet;   // (0, 0) to the sheet size
    SchRect bounds;  // the sheet and everything drawn, texts and strokes included
    std::vector<DrawnElement> elements;
};
