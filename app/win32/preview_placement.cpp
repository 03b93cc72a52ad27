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

// The preview in the part of the work area on one side of `clear` (right, left, below, above)
// that leaves it largest, at most the wanted size and at least the least; the first such part
// when two tie; nearest the dialog within it. Empty when no part leaves the least.
ScreenBox largestPart(const ScreenBox& area, const ScreenBox& clear, const ScreenBox& dialog,
                      long wantedWidth, long wantedHeight, long leastWidth, long leastHeight) {
    const ScreenBox parts[] = {
        {std::max(clear.right, area.left), area.top, area.right, area.bottom},
        {area.left, area.top, std::min(clear.left, area.right), area.bottom},
        {area.left, std::max(clear.bottom, area.top), area.right, area.bottom},
        {area.left, area.top, area.right, std::min(clear.top, area.bottom)},
    };
    ScreenBox best{};
    long bestArea = 0;
    for (std::size_t i = 0; i < std::size(parts); ++i) {
        const ScreenBox& part = parts[i];
        const long width = std::min(wantedWidth, part.width());
        const long height = std::min(wantedHeight, part.height());
        if (width < leastWidth || height < leastHeight || width * height <= bestArea) {
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
    return best;
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

    // Else the largest part of the work area beside, below or above the dialog that leaves at
    // least half the wanted size; else the largest beside, below or above the kept controls.
    ScreenBox best = largestPart(area, dialog, dialog, wantedWidth, wantedHeight, wantedWidth / 2,
                                 wantedHeight / 2);
    if (best.width() == 0) {
        best = largestPart(area, kept, dialog, wantedWidth, wantedHeight, 1, 1);
    }
    const long bestArea = best.width() * best.height();
    if (bestArea > 0) {
        return best;
    }
    // The kept rectangle fills the work area: below the dialog as far as the work area lets it.
    const long width = std::min(wantedWidth, area.width());
    const long height = std::min(wantedHeight, area.height());
    return sized(clampedStart(dialog.left, width, area.left, area.right),
                 clampedStart(dialog.bottom, height, area.top, area.bottom), width, height);
}
