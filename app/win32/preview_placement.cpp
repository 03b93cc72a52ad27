#include "app/win32/preview_placement.h"

#include <algorithm>
#include <iterator>

namespace {

// `start` moved as little as it takes for `size` from there to fit between low and high; at low
// when it cannot fit.
long clampedStart(long start, long size, long low, long high) {
    return std::max(low, std::min(start, high - size));
}

ScreenBox sized(long left, long top, long width, long height) {
    return {left, top, left + width, top + height};
}

}  // namespace

bool overlaps(const ScreenBox& a, const ScreenBox& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

ScreenBox placePreview(const ScreenBox& area, const ScreenBox& dialog, const ScreenBox& kept,
                       long wantedWidth, long wantedHeight) {
    const long top = clampedStart(dialog.top, wantedHeight, area.top, area.bottom);
    const long left = clampedStart(dialog.left, wantedWidth, area.left, area.right);
    if (wantedHeight <= area.height()) {
        if (area.right - dialog.right >= wantedWidth) {
            return sized(dialog.right, top, wantedWidth, wantedHeight);
        }
        if (dialog.left - area.left >= wantedWidth) {
            return sized(dialog.left - wantedWidth, top, wantedWidth, wantedHeight);
        }
    }
    if (wantedWidth <= area.width() && area.bottom - dialog.bottom >= wantedHeight) {
        return sized(left, dialog.bottom, wantedWidth, wantedHeight);
    }

    // The parts of the work area on each side of the kept rectangle, each the preview's place
    // within it, nearest the dialog; the part that leaves the largest preview wins, in this order
    // when two tie.
    const ScreenBox parts[] = {
        {std::max(kept.right, area.left), area.top, area.right, area.bottom},
        {area.left, area.top, std::min(kept.left, area.right), area.bottom},
        {area.left, std::max(kept.bottom, area.top), area.right, area.bottom},
        {area.left, area.top, area.right, std::min(kept.top, area.bottom)},
    };
    ScreenBox best{};
    long bestArea = -1;
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        const ScreenBox& part = parts[i];
        const long width = std::min(wantedWidth, part.width());
        const long height = std::min(wantedHeight, part.height());
        if (width * height <= bestArea) {
            continue;
        }
        bestArea = width * height;
        const long x = i == 0   ? part.left
                       : i == 1 ? part.right - width
                                : clampedStart(dialog.left, width, part.left, part.right);
        const long y = i == 2   ? part.top
                       : i == 3 ? part.bottom - height
                                : clampedStart(dialog.top, height, part.top, part.bottom);
        best = sized(x, y, width, height);
    }
    if (bestArea > 0) {
        return best;
    }
    // The kept rectangle fills the work area: below the dialog as far as the work area lets it.
    const long width = std::min(wantedWidth, area.width());
    const long height = std::min(wantedHeight, area.height());
    return sized(clampedStart(dialog.left, width, area.left, area.right),
                 clampedStart(dialog.bottom, height, area.top, area.bottom), width, height);
}
