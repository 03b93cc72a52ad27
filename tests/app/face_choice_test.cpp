#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "app/core/face_choice.h"
#include "app/core/settings.h"

namespace {

TEST(FaceChoice, ConfirmedFace) {
    const std::string mincho = "\x82\x6C\x82\x72 \x96\xBE\x92\xA9";  // ＭＳ 明朝
    const std::string invalid = "\x82\xFF\x41";                      // no CP932 text
    const std::string shownInvalid =
        "\xEF\xBF\xBD\xEF\xBF\xBD"
        "A";
    struct Case {
        std::string stored, shown, chosen;
        FaceOutcome outcome;
        std::string bytes, family;
    };
    const std::vector<Case> cases = {
        {mincho, "ＭＳ 明朝", "ＭＳ 明朝", FaceOutcome::Kept, mincho, "ＭＳ 明朝"},
        {invalid, shownInvalid, shownInvalid, FaceOutcome::Kept, invalid, shownInvalid},
        {"", "", "", FaceOutcome::Kept, "", ""},
        {"Verdana", "Verdana", " Verdana [x] ", FaceOutcome::Kept, "Verdana", "Verdana"},
        {"A [b]", "A [b]", "A [b]", FaceOutcome::Kept, "A [b]", "A [b]"},
        {"Verdana", "Verdana", "Nimbus Sans [urw]", FaceOutcome::Changed, "Nimbus Sans",
         "Nimbus Sans"},
        {"Verdana", "Verdana", "ＭＳ Ｐゴシック", FaceOutcome::Changed, kDefaultLargeFace,
         "ＭＳ Ｐゴシック"},
        {"Verdana", "Verdana", "   ", FaceOutcome::Empty, "", ""},
        {"Verdana", "Verdana", "Café Sans", FaceOutcome::NotCp932, "", "Café Sans"},
        {"Verdana", "Verdana", "A\nB", FaceOutcome::HasControlCharacter, "", "A\nB"},
    };
    for (const Case& c : cases) {
        const FaceChoice choice = chooseFace(c.stored, c.shown, c.chosen);
        EXPECT_EQ(choice.outcome, c.outcome) << c.chosen;
        EXPECT_EQ(choice.bytes, c.bytes) << c.chosen;
        EXPECT_EQ(choice.family, c.family) << c.chosen;
    }
}

TEST(FaceChoice, OfferedFaces) {
    const std::vector<std::string> faces =
        offeredFaces("Not Installed", {"Nimbus Sans [urw]", "Nimbus Sans [UKWN]", "verdana"});
    const auto count = [&](const std::string& face) {
        return std::count(faces.begin(), faces.end(), face);
    };
    // Both foundries once, without a suffix; the Windows spelling before the installed one.
    EXPECT_EQ(count("Not Installed") + count("Nimbus Sans") + count("Verdana"), 3);
    EXPECT_EQ(count("ＭＳ Ｐゴシック"), 1);
    EXPECT_EQ(faces.size(), commonWindowsFaces().size() + 2);
}

TEST(FaceChoice, PointsShownForPixelsComeBack) {
    for (int points = 1; points <= 5000; ++points) {
        ASSERT_EQ(nearestPoints(static_cast<int>(int64_t{points} * 96 / 72)), points) << points;
    }
    EXPECT_EQ(nearestPoints(INT_MAX), 1610612735);
    EXPECT_EQ(nearestPoints(INT_MIN), -1610612736);
}

}  // namespace
