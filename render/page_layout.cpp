#include "render/page_layout.h"

#include <algorithm>

#include "platform/text.h"
#include "render/element_shapes.h"

namespace {

// The margin's layout, in units of pageScale.
constexpr int64_t kMargin = 40;         // on every side of the sheet
constexpr int64_t kTitleRoom = 24;      // below the bottom margin, for the title line
constexpr int64_t kTitleBaseline = 16;  // the title line's baseline, below the bottom margin
// An arrow as points at a distance out of the sheet and an offset along its edge: a shaft 4 wide
// from 6 to 22 out, and a head 12 wide to 32 out.
constexpr std::array<std::array<int64_t, 2>, 7> kArrow{
    {{6, -2}, {22, -2}, {22, -6}, {32, 0}, {22, 6}, {22, 2}, {6, 2}}};
// The count's glyphs are centred on the arrow's shaft, 19 out of the sheet, and start 10 to the
// side of the arrow.
constexpr int64_t kCountOut = 19;
constexpr int64_t kCountAside = 10;

// A text of the page, its size and widths grown with the page.
TextPrimitive pageText(int64_t x, int64_t y, bool upward, const std::string& utf8, int64_t scale) {
    TextPrimitive text =
        fixedText(SchPoint(clamp32(x), clamp32(y)), upward, utf8ToCp932(utf8).value_or(""));
    text.size = clamp32(int64_t{text.size} * scale);
    text.fitWidth *= scale;
    return text;
}

}  // namespace

SchRect normalisedSheet(const SchRect& sheet) {
    SchRect r = sheet;
    r.normalise();
    return r;
}

SchRect grownRect(const SchRect& rect, int64_t by) {
    return SchRect(clamp32(rect.left - by), clamp32(rect.top - by), clamp32(rect.right + by),
                   clamp32(rect.bottom + by));
}

int64_t pageScale(const SchRect& sheet) {
    const SchRect s = normalisedSheet(sheet);
    const int64_t longer = std::max(int64_t{s.right} - s.left, int64_t{s.bottom} - s.top);
    return std::max(int64_t{1}, longer / 600);
}

SchRect pageArea(const SchRect& sheet) {
    const SchRect s = normalisedSheet(sheet);
    const int64_t margin = kMargin * pageScale(sheet);
    return SchRect(clamp32(s.left - margin), clamp32(s.top - margin), clamp32(s.right + margin),
                   clamp32(s.bottom + margin + kTitleRoom * pageScale(sheet)));
}

SheetEdge edgeBeyond(const SchRect& area, const SchRect& sheet) {
    const SchRect s = normalisedSheet(sheet);
    SchRect a = area;
    a.normalise();
    const std::array<int64_t, kSheetEdges> distance{
        int64_t{s.left} - a.right, int64_t{s.top} - a.bottom, int64_t{a.left} - s.right,
        int64_t{a.top} - s.bottom};
    return static_cast<SheetEdge>(std::max_element(distance.begin(), distance.end()) -
                                  distance.begin());
}

std::vector<Primitive> leftOutMarks(const SchRect& sheet,
                                    const std::array<std::size_t, kSheetEdges>& beyond) {
    const SchRect s = normalisedSheet(sheet);
    const int64_t scale = pageScale(sheet);
    const int64_t middleX = (int64_t{s.left} + s.right) / 2;
    const int64_t middleY = (int64_t{s.top} + s.bottom) / 2;
    std::vector<Primitive> marks;
    for (std::size_t edge = 0; edge < kSheetEdges; ++edge) {
        if (beyond[edge] == 0) {
            continue;
        }
        // The middle of the edge, the way out of the sheet, and the way along the edge.
        const bool across = edge == 0 || edge == 2;  // left or right: the arrow runs along x
        const int64_t out = edge < 2 ? -1 : 1;
        const int64_t edgeAt =
            across ? (edge == 0 ? s.left : s.right) : int64_t{edge == 1 ? s.top : s.bottom};
        const auto at = [&](int64_t outward, int64_t along) {
            const int64_t o = edgeAt + out * outward * scale;
            const int64_t a = (across ? middleY : middleX) + along * scale;
            return across ? SchPoint(clamp32(o), clamp32(a)) : SchPoint(clamp32(a), clamp32(o));
        };
        PolylinePrimitive arrow;
        arrow.closed = true;
        arrow.filled = true;
        for (const auto& [outward, along] : kArrow) {
            arrow.points.push_back(at(outward, along));
        }
        marks.emplace_back(std::move(arrow));

        const auto count = static_cast<unsigned long>(beyond[edge]);
        const std::string text =
            formatted(translatedPlural("%lu left out", "%lu left out", count), count);
        const int64_t baseline = edgeAt + (out * kCountOut + kFixedTextCentring) * scale;
        marks.emplace_back(
            across ? pageText(baseline, middleY - kCountAside * scale, true, text, scale)
                   : pageText(middleX + kCountAside * scale, baseline, false, text, scale));
    }
    return marks;
}

TextPrimitive titleLine(const SchRect& sheet, const std::string& text) {
    const SchRect s = normalisedSheet(sheet);
    const int64_t scale = pageScale(sheet);
    return pageText(s.left, s.bottom + (kMargin + kTitleBaseline) * scale, false, text, scale);
}
