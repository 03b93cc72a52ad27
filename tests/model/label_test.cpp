#include <gtest/gtest.h>

#include <string>

#include "model/label.h"
#include "record_io.h"

namespace {

SchLabel makeLabel(SchPoint at, const char* text, bool horizontal) {
    SchLabel label;
    label.setP1(at);
    label.setText(text);
    label.horizontal = horizontal;
    return label;
}

TEST(SchLabel, WritesRecordsAndReadsThemBack) {
    struct Case {
        SchPoint at;
        const char* text;
        bool horizontal;
        int layer;
        std::string line;
    };
    const Case cases[] = {
        {{300, 120}, "A1", true, 0, "+LABEL,L:0,X:300,Y:120,D:1,S:A1,-LABEL\r\n"},
        {{-5, 0}, "a b,c%", false, 7, "+LABEL,L:7,X:-5,Y:0,D:0,S:a%20b%2Cc%25,-LABEL\r\n"},
        {{INT32_MIN, INT32_MAX},
         "\x83\x5C\x83\x67:x",
         true,
         1,
         "+LABEL,L:1,X:-2147483648,Y:2147483647,D:1,S:\x83\x5C\x83\x67:x,-LABEL\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SchLabel label = makeLabel(c.at, c.text, c.horizontal);
        label.layer = c.layer;
        EXPECT_EQ(writeRecord(label), c.line);

        SchLabel back;
        ASSERT_TRUE(readLine(back, c.line, "+LABEL"));
        EXPECT_EQ(back.p1, c.at);
        EXPECT_EQ(back.text, c.text);
        EXPECT_EQ(back.horizontal, c.horizontal);
        EXPECT_EQ(back.layer, 0);
    }
}

TEST(SchLabel, OffsetIsSubtractedOnWritingAndSaturates) {
    SchLabel label = makeLabel({15, INT32_MIN}, "A", true);
    const SchPoint offset(10, 1);
    EXPECT_EQ(writeRecord(label, &offset), "+LABEL,L:0,X:5,Y:-2147483648,D:1,S:A,-LABEL\r\n");
}

TEST(SchLabel, DirectionValues) {
    struct Case {
        const char* d;
        bool horizontal;
    };
    const Case cases[] = {
        {"D:1", true}, {"D:2", true}, {"D:-1", true}, {"D:0", false}, {"D:x", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.d);
        SchLabel label;
        label.horizontal = !c.horizontal;
        ASSERT_TRUE(readBody(label, std::string("X:0,Y:0,S:a,") + c.d + ",-LABEL"));
        EXPECT_EQ(label.horizontal, c.horizontal);
    }
}

TEST(SchLabel, AreaAndHitTest) {
    SchLabel label = makeLabel({100, 50}, "abc", true);
    EXPECT_EQ(label.area(), SchRect(100, 40, 124, 50));
    EXPECT_EQ(label.hitTest(SchPoint(112, 45)), 0x10000 | 65);
    EXPECT_EQ(label.hitTest(SchPoint(100, 45)), 0);
    EXPECT_EQ(label.areaCrossFlags(SchRect(124, 50, 200, 200)), 3);
    EXPECT_EQ(label.areaPointFlags(SchRect(125, 0, 200, 200)), 0);
    EXPECT_FALSE(label.touchesArea(SchRect(0, 0, 99, 100)));
    EXPECT_EQ(label.pointArea(), SchRect(100, 50, 100, 50));

    label.horizontal = false;
    EXPECT_EQ(label.area(), SchRect(90, 26, 100, 50));

    SchLabel empty = makeLabel({100, 50}, "", true);
    EXPECT_EQ(empty.area(), SchRect(100, 40, 100, 50));
    EXPECT_EQ(empty.hitTest(SchPoint(100, 45)), 0);
    EXPECT_FALSE(empty.isValid());

    SchLabel distant = makeLabel({INT32_MAX, INT32_MIN}, "abcd", true);
    EXPECT_EQ(distant.area(), SchRect(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN));
    distant.horizontal = false;
    EXPECT_EQ(distant.area(), SchRect(INT32_MAX - 10, INT32_MIN, INT32_MAX, INT32_MIN));
}

TEST(SchLabel, RotationAndMirroring) {
    SchLabel label = makeLabel({100, 50}, "abc", true);
    label.rotateAt(SchPoint(0, 0));
    EXPECT_EQ(label.p1, SchPoint(-50, 100));
    EXPECT_FALSE(label.horizontal);

    label.rotate();
    EXPECT_EQ(label.p1, SchPoint(-50, 100));
    EXPECT_TRUE(label.horizontal);
    label.rotate();
    label.rotate();
    EXPECT_EQ(label.p1, SchPoint(-50, 100));
    EXPECT_TRUE(label.horizontal);

    SchLabel mirrored = makeLabel({100, 50}, "abc", true);
    mirrored.mirrorAt(0);
    EXPECT_EQ(mirrored.p1, SchPoint(-100, 50));
    EXPECT_TRUE(mirrored.horizontal);
}

}  // namespace
