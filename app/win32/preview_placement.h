#pragma once

// Where the preview window opens, worked out from rectangles alone, so that a table of screens can
// check it without a window.

// A rectangle of screen pixels; right and bottom lie just outside it, as in a Win32 RECT.
struct ScreenBox {
    long left = 0;
    long top = 0;
    long right = 0;
    long bottom = 0;

    long width() const { return right > left ? right - left : 0; }
    long height() const { return bottom > top ? bottom - top : 0; }
    friend bool operator==(const ScreenBox&, const ScreenBox&) = default;
};

// Whether the two rectangles share a pixel.
bool overlaps(const ScreenBox& a, const ScreenBox& b);

// The preview's first place: `wanted` in size beside the dialog, on its right where the work area
// has room, else on its left, else below it. Where none has room, the largest part of the work
// area on one side of the dialog (right, left, below, above) that leaves the preview at least
// half its wanted size, the size cut to that part's; where none does, the largest part outside
// `kept` (the dialog's list and buttons, which the preview must leave in sight): the preview then
// may cover the rest of the dialog, never `kept`, unless no part of the work area outside it is
// left: then it lies below the dialog as far as the work area lets it.
ScreenBox placePreview(const ScreenBox& area, const ScreenBox& dialog, const ScreenBox& kept,
                       long wantedWidth, long wantedHeight);
