#pragma once

#include <cstdint>

#include "render/primitives.h"

// Grows a rectangle over everything drawn: areas, strokes with their width, dots, and texts with
// an estimate of their extent (texts of a named face are not measured).
class DrawingBounds {
  public:
    void add(const SchRect& rect);
    void add(const DrawnElement& element);
    void add(const Primitive& primitive);
    // The rectangle grown so far, clamped to the 32-bit range; the empty accumulator when nothing
    // was added.
    SchRect rect() const;

  private:
    void add(int64_t left, int64_t top, int64_t right, int64_t bottom);
    void addPoint(SchPoint p, int64_t margin);
    void add(const TextPrimitive& text);

    int64_t left_ = INT64_MAX;
    int64_t top_ = INT64_MAX;
    int64_t right_ = INT64_MIN;
    int64_t bottom_ = INT64_MIN;
};

// Half the width of a stroke, rounded up.
int64_t strokeMargin(Stroke stroke);

// The estimated advance of a text: its fit width, or half an em per byte (a double-byte
// character takes about a full em, a single-byte one about half).
int64_t estimatedAdvance(const TextPrimitive& text);
