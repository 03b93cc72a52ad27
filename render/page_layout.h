#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "render/primitives.h"

// The page that an SVG or the preview shows: the sheet with a margin around it, which holds the
// marks of the elements left out beyond each edge and, below the sheet, a title line. A sheet of
// size 0 or less is taken with its corners in order: a point, or the rectangle from its size to
// (0, 0).

// The sheet's rectangle with its corners in order.
SchRect normalisedSheet(const SchRect& sheet);

// The rectangle grown by `by` on every side, clamped to the 32-bit range.
SchRect grownRect(const SchRect& rect, int64_t by);

// How many drawing units a unit of the page's layout takes: one for every whole 600 units of the
// sheet's longer side, at least 1, so that the marks keep their size on a page shown whole.
int64_t pageScale(const SchRect& sheet);

// The sheet with its margin, clamped to the 32-bit range.
SchRect pageArea(const SchRect& sheet);

// The edges of the sheet.
enum class SheetEdge { Left, Top, Right, Bottom };
inline constexpr std::size_t kSheetEdges = 4;

// The edge beyond which an area that misses the sheet lies farthest; of equal distances, the
// first in the order of SheetEdge.
SheetEdge edgeBeyond(const SchRect& area, const SchRect& sheet);

// For each edge with elements beyond it, an arrow from the middle of the edge pointing out of the
// sheet and their count beside it ("3 left out"), in the margin.
std::vector<Primitive> leftOutMarks(const SchRect& sheet,
                                    const std::array<std::size_t, kSheetEdges>& beyond);

// A line of text (UTF-8) in the margin under the sheet, below the marks, from the sheet's left
// edge.
TextPrimitive titleLine(const SchRect& sheet, const std::string& text);
