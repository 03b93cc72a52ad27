#include "render/drawing_bounds.h"

#include <algorithm>

#include "render/style.h"

void DrawingBounds::add(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    left_ = std::min({left_, left, right});
    right_ = std::max({right_, left, right});
    top_ = std::min({top_, top, bottom});
    bottom_ = std::max({bottom_, top, bottom});
}

void DrawingBounds::add(const SchRect& rect) {
    add(rect.left, rect.top, rect.right, rect.bottom);
}

void DrawingBounds::addPoint(SchPoint p, int64_t margin) {
    add(p.x - margin, p.y - margin, p.x + margin, p.y + margin);
}

void DrawingBounds::add(const DrawnElement& element) {
    add(element.area);
    for (const Primitive& primitive : element.primitives) {
        add(primitive);
    }
}

void DrawingBounds::add(const Primitive& primitive) {
    if (const auto* line = std::get_if<LinePrimitive>(&primitive)) {
        addPoint(line->from, strokeMargin(line->stroke));
        addPoint(line->to, strokeMargin(line->stroke));
    } else if (const auto* polyline = std::get_if<PolylinePrimitive>(&primitive)) {
        for (const SchPoint& p : polyline->points) {
            addPoint(p, strokeMargin(polyline->stroke));
        }
    } else if (const auto* rect = std::get_if<RectPrimitive>(&primitive)) {
        addPoint(rect->rect.topLeft(), strokeMargin(rect->stroke));
        addPoint(rect->rect.bottomRight(), strokeMargin(rect->stroke));
    } else if (const auto* dot = std::get_if<DotPrimitive>(&primitive)) {
        addPoint(dot->centre, dot->radius);
    } else if (const auto* text = std::get_if<TextPrimitive>(&primitive)) {
        add(*text);
    }
}

void DrawingBounds::add(const TextPrimitive& text) {
    const int64_t advance = estimatedAdvance(text);
    const int64_t ascent = text.size;
    const int64_t descent = text.size / 4 + 1;
    const int64_t x = text.anchor.x;
    const int64_t y = text.anchor.y;
    if (text.upward) {
        add(x - ascent, y - advance, x + descent, y);
    } else {
        add(x, y - ascent, x + advance, y + descent);
    }
}

SchRect DrawingBounds::rect() const {
    if (left_ > right_) {
        return SchRect::emptyAccumulator();
    }
    return SchRect(clamp32(left_), clamp32(top_), clamp32(right_), clamp32(bottom_));
}

int64_t strokeMargin(Stroke stroke) {
    return (strokeWidth(stroke) + 1) / 2;
}

int64_t estimatedAdvance(const TextPrimitive& text) {
    if (text.fitWidth > 0) {
        return text.fitWidth;
    }
    return int64_t{text.size} * static_cast<int64_t>(text.bytes.size()) / 2;
}
