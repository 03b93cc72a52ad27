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

// The dialog is 447 × 233 pixels at 96 dpi and 670 × 350 at 144 dpi, its list and buttons 12 to 36
// pixels inside its edges; the preview wants the dialog's width and 220 dialog units of height.
const Placement kPlacements[] = {
    {"1366 x 768 at 96 dpi: on the right",
     {0, 0, 1366, 768},
     {459, 267, 906, 500},
     {467, 297, 898, 427},
     447,
     330,
     {906, 267, 1353, 597}},
    {"1280 x 1024 at 96 dpi: no room beside, below",
     {0, 0, 1280, 1024},
     {416, 395, 863, 628},
     {424, 425, 855, 555},
     447,
     330,
     {416, 628, 863, 958}},
    {"1366 x 768 at 144 dpi: below the list and buttons, over the font rows",
     {0, 0, 1366, 768},
     {348, 209, 1018, 559},
     {360, 245, 1006, 440},
     670,
     495,
     {348, 440, 1018, 768}},
    {"1280 x 1024 at 144 dpi: below the list and buttons",
     {0, 0, 1280, 1024},
     {305, 337, 975, 687},
     {317, 373, 963, 568},
     670,
     495,
     {305, 568, 975, 1024}},
    {"at the work area's left edge: on the right",
     {0, 0, 1366, 768},
     {0, 100, 447, 333},
     {8, 130, 439, 260},
     447,
     330,
     {447, 100, 894, 430}},
    {"at the work area's right edge: on the left",
     {0, 0, 1366, 768},
     {919, 100, 1366, 333},
     {927, 130, 1358, 260},
     447,
     330,
     {472, 100, 919, 430}},
    {"low on the screen: beside, raised into the work area",
     {0, 0, 1366, 768},
     {0, 500, 447, 733},
     {8, 530, 439, 660},
     447,
     330,
     {447, 438, 894, 768}},
    {"a second monitor above a taskbar: below",
     {1366, 0, 2646, 984},
     {1782, 375, 2229, 608},
     {1790, 405, 2221, 535},
     447,
     330,
     {1782, 608, 2229, 938}},
    {"taller than the work area: the largest part, cut to its height",
     {0, 0, 1024, 768},
     {0, 0, 300, 200},
     {10, 30, 290, 150},
     700,
     900,
     {290, 0, 990, 768}},
    {"no room around a large dialog: the largest part, above its list",
     {0, 0, 1024, 768},
     {20, 100, 1004, 700},
     {30, 130, 900, 690},
     400,
     300,
     {20, 0, 420, 130}},
};

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
