// Where the preview window opens, for dialogs centred on the screens users have and for dialogs
// near an edge of the work area.
#include "app/win32/preview_placement.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const ScreenBox& box, std::ostream* out) {
    *out << "{" << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << "}";
}

namespace {

struct Placement {
    const char* what;
    ScreenBox area;
    ScreenBox dialog;
    ScreenBox kept;
    long width, height;  // wanted
    ScreenBox expected;
};

// The dialog is 521 × 244 pixels at 96 dpi and 815 × 372 at 144 dpi, as under Wine, centred on the
// screen, its list and buttons some pixels inside its edges; the preview wants the dialog's width
// and 220 dialog units of height. The later rows place a smaller dialog near the work area's edges.
// clang-format off
const Placement kPlacements[] = {
    {"1366 x 768 at 96 dpi: on the right, narrower", {0, 0, 1366, 768}, {422, 262, 943, 506},
     {434, 299, 915, 426}, 521, 358, {943, 262, 1366, 620}},
    {"1280 x 1024 at 96 dpi: below", {0, 0, 1280, 1024}, {379, 390, 900, 634},
     {391, 427, 872, 554}, 521, 358, {379, 634, 900, 992}},
    {"1366 x 768 at 144 dpi: below the list and buttons, over the font rows", {0, 0, 1366, 768},
     {275, 198, 1090, 570}, {293, 254, 1061, 450}, 815, 540, {275, 450, 1090, 768}},
    {"1280 x 1024 at 144 dpi: below, lower", {0, 0, 1280, 1024}, {232, 326, 1047, 698},
     {250, 382, 1018, 578}, 815, 540, {232, 698, 1047, 1024}},
    {"at the work area's left edge: on the right", {0, 0, 1366, 768}, {0, 100, 447, 333},
     {8, 130, 439, 260}, 447, 330, {447, 100, 894, 430}},
    {"at the work area's right edge: on the left", {0, 0, 1366, 768}, {919, 100, 1366, 333},
     {927, 130, 1358, 260}, 447, 330, {472, 100, 919, 430}},
    {"low on the screen: beside, raised into the work area", {0, 0, 1366, 768},
     {0, 500, 447, 733}, {8, 530, 439, 660}, 447, 330, {447, 438, 894, 768}},
    {"a second monitor above a taskbar: below", {1366, 0, 2646, 984}, {1782, 375, 2229, 608},
     {1790, 405, 2221, 535}, 447, 330, {1782, 608, 2229, 938}},
    {"taller than the work area: beside, cut to its height", {0, 0, 1024, 768},
     {0, 0, 300, 200}, {10, 30, 290, 150}, 700, 900, {300, 0, 1000, 768}},
    {"no room around a large dialog: the largest part, above its list", {0, 0, 1024, 768},
     {20, 100, 1004, 700}, {30, 130, 900, 690}, 400, 300, {20, 0, 420, 130}},
};
// clang-format on

class PreviewPlacementTest : public testing::TestWithParam<Placement> {};

TEST_P(PreviewPlacementTest, PlacesBesideOrClearOfTheKeptControls) {
    const Placement& p = GetParam();
    const ScreenBox placed = placePreview(p.area, p.dialog, p.kept, p.width, p.height);
    EXPECT_EQ(placed, p.expected);
    EXPECT_FALSE(overlaps(placed, p.kept));
    EXPECT_GE(placed.left, p.area.left);
    EXPECT_GE(placed.top, p.area.top);
    EXPECT_LE(placed.right, p.area.right);
    EXPECT_LE(placed.bottom, p.area.bottom);
}

INSTANTIATE_TEST_SUITE_P(Screens, PreviewPlacementTest, testing::ValuesIn(kPlacements));

TEST(PreviewPlacement, KeptControlsFillingTheWorkAreaLeaveItBelowTheDialogInside) {
    const ScreenBox area{0, 0, 800, 600};
    EXPECT_EQ(placePreview(area, area, area, 400, 300), (ScreenBox{0, 300, 400, 600}));
}

}  // namespace
