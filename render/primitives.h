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

// An open or closed chain of straight segments; a closed one may be filled with the ink.
struct PolylinePrimitive {
    std::vector<SchPoint> points;
    bool closed = false;
    Stroke stroke = Stroke::Thin;
    bool filled = false;
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

// One element of the document as drawn. An element that a conversion leaves out has no
// primitives: it is not drawn.
struct DrawnElement {
    int kind = 0;               // SchKind of the element
    bool outsideSheet = false;  // its area misses the sheet: a conversion leaves it out
    SchRect area;               // the element's own area
    std::vector<Primitive> primitives;
};

// The elements are drawn on the sheet and clipped to it; the marks and the title line lie in the
// page's margin around it.
struct Drawing {
    SchRect sheet;  // (0, 0) to the sheet size
    // The sheet and every element drawn, before clipping, texts and strokes included.
    SchRect bounds;
    std::vector<DrawnElement> elements;
    // In the warning colour: an arrow out of each edge beyond which elements were left out, and
    // their count.
    std::vector<Primitive> leftOutMarks;
    // In ink under the sheet: what a conversion writes and leaves out.
    TextPrimitive title;
};
