#include "app/core/preview_view.h"
#include "app/core/preview_source.h"
#include "render/drawing_bounds.h"
#include "render/page_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kLeast = INT32_MIN;
constexpr double kMost = INT32_MAX;

bool finite(const PreviewView& view) {
    return std::isfinite(view.scale()) && view.scale() > 0 && std::isfinite(view.centre().x) &&
           std::isfinite(view.centre().y);
}

}  // namespace

TEST(PreviewView, FitsTheContentCentredInThePane) {
    const struct {
        ViewRect content;
        double width, height;
        double scale;
        ViewPoint centre;
    } rows[] = {
        {{0, 0, 1000, 500}, 200, 200, 0.2, {500, 250}},
        {{-10, -10, 10, 10}, 400, 100, 5, {0, 0}},
        // Never closer than the largest scale, even for a content of one point.
        {{5, 5, 5, 5}, 300, 300, PreviewView::kMaxScale, {5, 5}},
        {{kLeast, kLeast, kMost, kMost}, 100, 100, 100 / (kMost - kLeast), {-0.5, -0.5}},
        // A pane of no size still gives a usable view.
        {{0, 0, 100, 100}, 0, 0, 0.01, {50, 50}},
    };
    for (const auto& row : rows) {
        PreviewView view;
        view.fit(row.content, row.width, row.height);
        EXPECT_DOUBLE_EQ(view.scale(), row.scale) << row.width;
        EXPECT_DOUBLE_EQ(view.centre().x, row.centre.x);
        EXPECT_DOUBLE_EQ(view.centre().y, row.centre.y);
        EXPECT_TRUE(view.fitted());
        const ViewPoint middle = view.toPixels(row.centre);
        EXPECT_NEAR(middle.x, row.width / 2, 1e-6);
        EXPECT_NEAR(middle.y, row.height / 2, 1e-6);
    }
}

TEST(PreviewView, ZoomKeepsThePointUnderThePointer) {
    const struct {
        ViewPoint pointer;
        double factor;
    } rows[] = {{{30, 170}, 2}, {{0, 0}, 1.25}, {{199, 1}, 0.8}, {{100, 100}, 3}};
    for (const auto& row : rows) {
        PreviewView view;
        view.fit({0, 0, 1000, 1000}, 200, 200);
        const ViewPoint under = view.toDrawing(row.pointer);
        const double scale = view.scale();
        view.zoomAbout(row.pointer, row.factor);
        EXPECT_DOUBLE_EQ(view.scale(), scale * row.factor);
        EXPECT_FALSE(view.fitted());
        const ViewPoint still = view.toPixels(under);
        EXPECT_NEAR(still.x, row.pointer.x, 1e-9);
        EXPECT_NEAR(still.y, row.pointer.y, 1e-9);
        view.refit();
        EXPECT_DOUBLE_EQ(view.scale(), scale);
    }
}

// However far one zooms or pans, the view stays finite, within its scales and on the content and
// the drawing around it.
TEST(PreviewView, ZoomAndPanStopAtTheirLimits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const ViewRect small{0, 0, 1000, 1000};
    const ViewRect whole{kLeast, kLeast, kMost, kMost};
    const struct {
        ViewRect content;
        ViewRect extent;  // the drawing around the content
        double factor;    // applied a thousand times
        double dx, dy;    // panned by a thousand times
        double scale;     // where it ends
    } rows[] = {
        {small, small, 2, 0, 0, PreviewView::kMaxScale},
        {small, small, 0.5, 0, 0, 0.2 * PreviewView::kMinFitFraction},
        {whole, whole, 10, 1e300, -1e300, PreviewView::kMaxScale},
        {whole, whole, 0.1, -1e300, 1e300, 200 / (kMost - kLeast) * PreviewView::kMinFitFraction},
        // Factors and moves that are no numbers leave the view as it was.
        {small, small, nan, nan, infinity, 0.2},
        {small, small, -2, 0, 0, 0.2},
        {small, small, 0, 0, 0, 0.2},
        // Content within a larger drawing: out until the drawing fits, and the same fraction more,
        // and panned as far as the drawing goes.
        {{400, 400, 500, 500}, small, 0.5, 1e300, -1e300, 0.2 * PreviewView::kMinFitFraction},
    };
    for (const auto& row : rows) {
        PreviewView view;
        view.fit(row.content, row.extent, 200, 200);
        for (int i = 0; i < 1000; ++i) {
            view.zoomAbout({37, 151}, row.factor);
            view.pan(row.dx, row.dy);
        }
        ASSERT_TRUE(finite(view)) << row.factor;
        EXPECT_DOUBLE_EQ(view.scale(), row.scale) << row.factor;
        EXPECT_GE(view.centre().x, row.extent.left);
        EXPECT_LE(view.centre().x, row.extent.right);
        EXPECT_GE(view.centre().y, row.extent.top);
        EXPECT_LE(view.centre().y, row.extent.bottom);
    }
}

TEST(PreviewView, ResizingRefitsOnlyAFittedView) {
    PreviewView view;
    view.fit({0, 0, 1000, 1000}, 200, 200);
    view.resize(400, 300);
    EXPECT_DOUBLE_EQ(view.scale(), 0.3);
    view.pan(10, 0);
    view.resize(800, 800);
    EXPECT_DOUBLE_EQ(view.scale(), 0.3);
    EXPECT_DOUBLE_EQ(view.centre().x, 500 - 10 / 0.3);
    EXPECT_DOUBLE_EQ(PreviewView::wheelFactor(120), PreviewView::kZoomStep);
    EXPECT_DOUBLE_EQ(PreviewView::wheelFactor(-240), 1 / (PreviewView::kZoomStep * 1.25));
}

TEST(PreviewView, SegmentsAreCutToTheArea) {
    const ViewRect area{0, 0, 100, 100};
    const struct {
        ViewPoint a, b;
        bool shown;
        double enter, leave;
    } rows[] = {
        {{10, 10}, {90, 90}, true, 0, 1},
        {{-100, 50}, {200, 50}, true, 1.0 / 3, 2.0 / 3},
        {{50, 200}, {50, -200}, true, 0.25, 0.5},
        {{kLeast, kLeast},
         {kMost, kMost},
         true,
         -kLeast / (kMost - kLeast),
         (100 - kLeast) / (kMost - kLeast)},
        {{-10, -10}, {-10, 200}, false, 0, 0},
        {{150, 0}, {300, 100}, false, 0, 0},
        {{50, 50}, {50, 50}, true, 0, 1},
        {{150, 50}, {150, 50}, false, 0, 0},
    };
    for (const auto& row : rows) {
        const auto part = segmentPartInside(row.a, row.b, area);
        ASSERT_EQ(part.has_value(), row.shown) << row.a.x << "," << row.a.y;
        if (part) {
            EXPECT_NEAR(part->first, row.enter, 1e-12);
            EXPECT_NEAR(part->second, row.leave, 1e-12);
        }
    }
}

// The preview fits what is drawn on the sheet, cut to the sheet (grown by half the thickest
// stroke), with a fortieth of its longer side and a unit around it; the page when nothing is drawn.
TEST(PreviewView, ContentIsWhatIsDrawnWithAMargin) {
    const struct {
        SchPoint from, to;
        bool drawn;
        ViewRect content;
    } rows[] = {
        // A thin line's stroke reaches one unit past its ends: 402 x 202, a margin of 11.05.
        {{100, 100}, {500, 300}, true, {87.95, 87.95, 512.05, 312.05}},
        // Cut at the sheet's right edge, 1500 + 2: 103 x 102, a margin of 3.575.
        {{1400, 500}, {2000, 600}, true, {1395.425, 495.425, 1505.575, 604.575}},
        {{100, 100}, {500, 300}, false, {}},
    };
    for (const auto& row : rows) {
        Drawing drawing;
        drawing.sheet = SchRect(0, 0, 1500, 1000);
        DrawnElement element;
        element.area = SchRect(row.from.x, row.from.y, row.to.x, row.to.y);
        if (row.drawn) {
            element.primitives.push_back(LinePrimitive{row.from, row.to});
        }
        drawing.elements.push_back(element);
        const ViewRect content = previewContent(drawing);
        const ViewRect expected = row.drawn ? row.content : previewPage(drawing);
        EXPECT_NEAR(content.left, expected.left, 1e-9) << row.from.x;
        EXPECT_NEAR(content.top, expected.top, 1e-9) << row.from.x;
        EXPECT_NEAR(content.right, expected.right, 1e-9) << row.from.x;
        EXPECT_NEAR(content.bottom, expected.bottom, 1e-9) << row.from.x;
    }
}

// The marks of elements left out beyond an edge lie outside the sheet: the preview fits them
// with what is drawn, so that the pane does not cut them off.
TEST(PreviewView, ContentHoldsTheMarksOfWhatWasLeftOut) {
    for (std::size_t edge = 0; edge < kSheetEdges; ++edge) {
        Drawing drawing;
        drawing.sheet = SchRect(0, 0, 1500, 1000);
        DrawnElement element;
        element.area = SchRect(600, 400, 900, 600);
        element.primitives.push_back(LinePrimitive{{600, 400}, {900, 600}});
        drawing.elements.push_back(element);
        std::array<std::size_t, kSheetEdges> beyond{};
        beyond[edge] = 12;
        drawing.leftOutMarks = leftOutMarks(drawing.sheet, beyond);
        DrawingBounds marks;
        for (const Primitive& mark : drawing.leftOutMarks) {
            marks.add(mark);
        }
        const SchRect around = marks.rect();
        const ViewRect content = previewContent(drawing);
        EXPECT_LT(content.left, std::min<double>(around.left, 600)) << edge;
        EXPECT_LT(content.top, std::min<double>(around.top, 400)) << edge;
        EXPECT_GT(content.right, std::max<double>(around.right, 900)) << edge;
        EXPECT_GT(content.bottom, std::max<double>(around.bottom, 600)) << edge;
    }
}
