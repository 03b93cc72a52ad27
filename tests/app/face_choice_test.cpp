#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "app/core/face_choice.h"
#include "app/core/settings.h"

namespace {

TEST(FaceChoice, PlainFamily) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Nimbus Sans [urw]", "Nimbus Sans"},
        {"  DejaVu Sans  ", "DejaVu Sans"},
        {"Noto Sans CJK JP [GOOG] ", "Noto Sans CJK JP"},
        {"[urw]", "[urw]"},  // nothing but a bracket: no family to keep
        {"Odd [x] Name", "Odd [x] Name"},
        {"ＭＳ Ｐゴシック", "ＭＳ Ｐゴシック"},
    };
    for (const auto& [given, plain] : cases) {
        EXPECT_EQ(plainFamily(given), plain) << given;
    }
}

TEST(FaceChoice, ConfirmedFace) {
    const std::string stored = "\x82\x6C\x82\x72 \x96\xBE\x92\xA9";  // ＭＳ 明朝
    const std::string invalid = "\x82\xFF\x41";                      // no CP932 text
    const std::string shownInvalid =
        "\xEF\xBF\xBD\xEF\xBF\xBD"
        "A";
    struct Case {
        const char* name;
        std::string storedBytes, shown, chosen;
        FaceOutcome outcome;
        std::string bytes, family;
    };
    const std::vector<Case> cases = {
        {"unchanged", stored, "ＭＳ 明朝", "ＭＳ 明朝", FaceOutcome::Kept, stored, "ＭＳ 明朝"},
        {"unchanged, undecodable bytes stay", invalid, shownInvalid, shownInvalid,
         FaceOutcome::Kept, invalid, shownInvalid},
        {"unchanged, empty", "", "", "", FaceOutcome::Kept, "", ""},
        {"the same family with a foundry", "Verdana", "Verdana", "Verdana [x]", FaceOutcome::Kept,
         "Verdana", "Verdana"},
        {"a stored name with a suffix stays when unchanged", "A [b]", "A [b]", "A [b]",
         FaceOutcome::Kept, "A [b]", "A [b]"},
        {"another family", stored, "ＭＳ 明朝", "Verdana", FaceOutcome::Changed, "Verdana",
         "Verdana"},
        {"foundry dropped", "Verdana", "Verdana", "Nimbus Sans [urw]", FaceOutcome::Changed,
         "Nimbus Sans", "Nimbus Sans"},
        {"Japanese family encoded", "Verdana", "Verdana", "ＭＳ Ｐゴシック", FaceOutcome::Changed,
         kDefaultLargeFace, "ＭＳ Ｐゴシック"},
        {"blanks only", "Verdana", "Verdana", "   ", FaceOutcome::Empty, "", ""},
        {"outside CP932", "Verdana", "Verdana", "Café Sans", FaceOutcome::NotCp932, "",
         "Café Sans"},
        {"a tab inside", "Verdana", "Verdana", "A\tB", FaceOutcome::HasControlCharacter, "",
         "A\tB"},
        {"a line break", "Verdana", "Verdana", "A\nB", FaceOutcome::HasControlCharacter, "",
         "A\nB"},
    };
    for (const Case& c : cases) {
        const FaceChoice choice = chooseFace(c.storedBytes, c.shown, c.chosen);
        EXPECT_EQ(choice.outcome, c.outcome) << c.name;
        EXPECT_EQ(choice.bytes, c.bytes) << c.name;
        EXPECT_EQ(choice.family, c.family) << c.name;
    }
}

TEST(FaceChoice, OfferedFaces) {
    const std::vector<std::string> faces = offeredFaces(
        "Not Installed",
        {"DejaVu Sans", "Nimbus Sans [urw]", "Nimbus Sans [UKWN]", "verdana", "Arial"});
    const auto count = [&](const std::string& face) {
        return std::count(faces.begin(), faces.end(), face);
    };
    EXPECT_EQ(count("Not Installed"), 1);
    EXPECT_EQ(count("DejaVu Sans"), 1);
    EXPECT_EQ(count("Nimbus Sans"), 1);  // both foundries, once, without a suffix
    EXPECT_EQ(count("Nimbus Sans [urw]"), 0);
    EXPECT_EQ(count("Verdana"), 1);  // the Windows spelling before the installed one
    EXPECT_EQ(count("verdana"), 0);
    for (const std::string& face : commonWindowsFaces()) {
        EXPECT_EQ(count(face), 1) << face;
    }
    EXPECT_EQ(faces.size(), commonWindowsFaces().size() + 3);
    const auto folded = [](std::string s) {
        for (char& c : s) {
            c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return s;
    };
    EXPECT_TRUE(std::is_sorted(faces.begin(), faces.end(), [&](const auto& a, const auto& b) {
        return folded(a) < folded(b);
    }));
    // The drawings' default faces are offered even where nothing is installed.
    const std::vector<std::string> bare = offeredFaces("", {});
    EXPECT_EQ(std::count(bare.begin(), bare.end(), "ＭＳ Ｐゴシック"), 1);
    EXPECT_EQ(std::count(bare.begin(), bare.end(), "Verdana"), 1);
}

TEST(FaceChoice, SizesBetweenPointsAndPixels) {
    // The points shown for points * 96 / 72 pixels are those points again.
    for (int points = 1; points <= 5000; ++points) {
        ASSERT_EQ(nearestPoints(static_cast<int>(int64_t{points} * 96 / 72)), points) << points;
    }
    const std::vector<std::pair<int, int>> nearest = {{0, 0},
                                                      {1, 1},
                                                      {2, 2},
                                                      {10, 8},
                                                      {13, 10},
                                                      {-10, -8},
                                                      {INT_MAX, 1610612735},
                                                      {INT_MIN, -1610612736}};
    for (const auto& [pixels, points] : nearest) {
        EXPECT_EQ(nearestPoints(pixels), points) << pixels;
    }
    const std::vector<std::pair<int, int>> taken = {{19, 14},
                                                    {16, 12},
                                                    {13, 9},
                                                    {1, 0},
                                                    {-19, 14},
                                                    {INT_MAX, 1610612735},
                                                    {INT_MIN, 1610612736}};
    for (const auto& [pixels, points] : taken) {
        EXPECT_EQ(pixelsToPoints(pixels), points) << pixels;
    }
}

}  // namespace
