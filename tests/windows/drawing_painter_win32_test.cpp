// The GDI painter of the preview window, painting into a bitmap under Wine.
#include "app/win32/drawing_painter_win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <memory>

#include "render/style.h"

namespace {

constexpr int kSize = 200;

// A 32-bit bitmap of kSize × kSize pixels selected into a device context of its own.
class Canvas {
  public:
    Canvas() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<const uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    // The pixel as 0xRRGGBB.
    uint32_t at(int x, int y) const {
        GdiFlush();
        return pixels_[y * kSize + x] & 0xFFFFFF;
    }

  private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const uint32_t* pixels_ = nullptr;
};

DrawnElement wire(SchPoint from, SchPoint to, Stroke stroke) {
    DrawnElement e;
    e.kind = stroke == Stroke::Dashed ? SchKind::Dash : SchKind::Wire;
    e.area = SchRect(from.x, from.y, to.x, to.y);
    e.primitives.push_back(LinePrimitive{from, to, stroke});
    return e;
}

}  // namespace

// The sheet, the ink clipped to the sheet, and the marks of what was left out in the page's
// margin, as the SVG draws them.
TEST(DrawingPainterWin32, PaintsTheSheetInkAndTheMarksOfWhatWasLeftOut) {
    Drawing drawing;
    drawing.sheet = SchRect(0, 0, 100, 100);
    drawing.elements.push_back(wire({10, 50}, {90, 50}, Stroke::Thick));
    drawing.elements.push_back(wire({-40, 20}, {60, 20}, Stroke::Thick));
    drawing.leftOutMarks.push_back(
        PolylinePrimitive{{{-30, 70}, {-20, 70}, {-25, 80}}, true, Stroke::Thin, true});
    drawing.bounds = SchRect(-43, 0, 100, 100);
    PreviewView view;
    view.fit({-53, -10, 110, 110}, kSize, kSize);
    Canvas canvas;
    paintDrawing(canvas.dc(), drawing, RECT{0, 0, kSize, kSize}, view);

    const auto pixel = [&](double x, double y) {
        const ViewPoint p = view.toPixels({x, y});
        return canvas.at(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
    };
    EXPECT_EQ(canvas.at(1, 1), kBackgroundColour);
    EXPECT_EQ(pixel(50, 80), kSheetColour);
    EXPECT_EQ(pixel(50, 50), kInkColour);
    EXPECT_EQ(pixel(30, 20), kInkColour);
    EXPECT_EQ(pixel(-25, 20), kBackgroundColour);  // the line beyond the sheet's edge
    EXPECT_EQ(pixel(-25, 73), kOutsideColour);     // inside the filled mark
}

// Lines across the whole coordinate range, zoomed in as far as the view goes, are cut to the
// pane: they paint at once and where they should.
TEST(DrawingPainterWin32, LinesAcrossTheRangePaintQuicklyAtTheLargestZoom) {
    Drawing drawing;
    drawing.sheet = SchRect(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);
    drawing.elements.push_back(wire({INT32_MIN, 0}, {INT32_MAX, 0}, Stroke::Dashed));
    drawing.elements.push_back(wire({0, INT32_MIN}, {0, INT32_MAX}, Stroke::Thin));
    drawing.bounds = drawing.sheet;
    PreviewView view;
    view.fit({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kSize, kSize);
    for (int i = 0; i < 100; ++i) {
        view.zoomAbout({kSize / 2.0, kSize / 2.0}, 10);
    }
    ASSERT_EQ(view.scale(), PreviewView::kMaxScale);
    Canvas canvas;
    const auto start = std::chrono::steady_clock::now();
    paintDrawing(canvas.dc(), drawing, RECT{0, 0, kSize, kSize}, view);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    const ViewPoint origin = view.toPixels({0, 0});
    const int x = static_cast<int>(std::lround(origin.x));
    const int y = static_cast<int>(std::lround(origin.y));
    // Strokes one unit wide are 64 pixels wide at this zoom.
    EXPECT_EQ(canvas.at(x + 20, y + 60), kInkColour);
    EXPECT_EQ(canvas.at(x + 40, y + 40), kSheetColour);
}
