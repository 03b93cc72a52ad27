#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/primitives.h"

class SchElement;

// How far below the middle of a text of fixed metrics its baseline lies, so that its glyphs are
// centred on that middle.
inline constexpr int64_t kFixedTextCentring = 4;

// A text of fixed metrics from its baseline's start: as high as its box, and as wide as the
// drawing's rule gives it.
TextPrimitive fixedText(SchPoint anchor, bool upward, const std::string& bytes);

// The primitives of one element, from its own geometry:
// - wires, dashed lines and entries as thin lines, buses and bus entries as thick ones, p1 to p2;
// - a junction as a dot on p1 filling its pick box;
// - a label as text from its anchor, rightward or upward, filling its area;
// - a tag as its outline along p1..p2 (shape 0 a box, 1 and 2 pointed at one end, mirror images
//   of each other, 3 pointed at both) with its text centred inside;
// - a comment as text from its anchor in its face, size and style;
// - a component as its body with its part name centred inside when it fits, else above the body,
//   and its name and reference in their boxes.
std::vector<Primitive> elementShapes(const SchElement& element);
