#include <gtest/gtest.h>

#include <string>

#include "model/tag.h"
#include "record_io.h"

namespace {

SchTag makeTag(SchPoint at, const std::string& text, bool horizontal, int32_t type) {
    SchTag tag;
    tag.setP1(at);
    tag.horizontal = horizontal;
    tag.tagType = type;
    tag.setText(text.c_str());
    return tag;
}

TEST(SchTag, WritesRecordsAndReadsThemBack) {
    struct Case {
        SchPoint at;
        const char* text;
        bool horizontal;
        int32_t type;
        std::string line;
        SchPoint end;
    };
    const Case cases[] = {
        {{40, 60}, "IN", true, 1, "+TAG,L:0,X:40,Y:60,D:1,T:1,S:IN,-TAG\r\n", {70, 60}},
        {{-3, 9}, "", false, 3, "+TAG,L:0,X:-3,Y:9,D:0,T:3,S:,-TAG\r\n", {-3, -11}},
        {{0, 0}, "a b", true, 2, "+TAG,L:0,X:0,Y:0,D:1,T:2,S:a%20b,-TAG\r\n", {40, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SchTag tag = makeTag(c.at, c.text, c.horizontal, c.type);
        EXPECT_EQ(tag.p2, c.end);
        EXPECT_EQ(writeRecord(tag), c.line);

        SchTag back;
        ASSERT_TRUE(readLine(back, c.line, "+TAG"));
        EXPECT_EQ(back.p1, c.at);
        EXPECT_EQ(back.p2, c.end);
        EXPECT_EQ(back.text, c.text);
        EXPECT_EQ(back.horizontal, c.horizontal);
        EXPECT_EQ(back.tagType, c.type);
        EXPECT_TRUE(back.isValid());
    }
}

TEST(SchTag, LayerAndOffsetOnWriting) {
    SchTag tag = makeTag({40, 60}, "IN", true, 0);
    tag.layer = 4;
    const SchPoint offset(50, -10);
    EXPECT_EQ(writeRecord(tag, &offset), "+TAG,L:4,X:-10,Y:70,D:1,T:0,S:IN,-TAG\r\n");
}

TEST(SchTag, TypeAndDirectionValues) {
    struct Case {
        const char* tokens;
        int32_t type;
        bool horizontal;
    };
    const Case cases[] = {
        {"T:3,D:1", 3, true},   {"T:2,D:7", 2, true}, {"T:5,D:1", 0, true},   {"T:0,D:1", 0, true},
        {"T:-1,D:0", 0, false}, {"T:,D:", 0, false},  {"T:1x,D:x", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tokens);
        SchTag tag;
        tag.tagType = 2;
        ASSERT_TRUE(readBody(tag, std::string("X:0,Y:0,S:a,") + c.tokens + ",-TAG"));
        EXPECT_EQ(tag.tagType, c.type);
        EXPECT_EQ(tag.horizontal, c.horizontal);
    }
}

TEST(SchTag, LengthFollowsTextBytes) {
    struct Case {
        std::size_t bytes;
        int32_t length;
    };
    const Case cases[] = {{0, 20},   {1, 20},   {2, 30},   {7, 80},   {8, 80},   {9, 90},
                          {12, 120}, {13, 130}, {14, 140}, {15, 140}, {20, 180}, {32768, 262170}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string text(c.bytes, 'w');
        EXPECT_EQ(makeTag({100, 50}, text, true, 0).p2, SchPoint(100 + c.length, 50));
        EXPECT_EQ(makeTag({100, 50}, text, false, 0).p2, SchPoint(100, 50 - c.length));
    }
    // The far end saturates at the 32-bit range.
    const std::string longest(32768, 'w');
    EXPECT_EQ(makeTag({INT32_MAX - 5, 0}, longest, true, 0).p2, SchPoint(INT32_MAX, 0));
    EXPECT_EQ(makeTag({0, INT32_MIN + 5}, longest, false, 0).p2, SchPoint(0, INT32_MIN));
}

TEST(SchTag, Areas) {
    SchTag tag = makeTag({100, 50}, "ab", true, 0);
    EXPECT_EQ(tag.p2, SchPoint(130, 50));
    EXPECT_EQ(tag.area(), SchRect(100, 45, 131, 56));
    EXPECT_EQ(tag.pointArea(), SchRect(100, 50, 130, 50));
    EXPECT_EQ(tag.hitTest(SchPoint(115, 50)), 0x10000 | 50);  // 7 x 7 + 1
    EXPECT_EQ(tag.hitTest(SchPoint(131, 50)), 0);
    EXPECT_EQ(tag.areaCrossFlags(SchRect(131, 56, 140, 60)), 3);
    EXPECT_EQ(tag.areaPointFlags(SchRect(132, 0, 140, 60)), 0);
    EXPECT_FALSE(tag.touchesArea(SchRect(0, 57, 200, 60)));

    SchTag vertical = makeTag({100, 50}, "ab", false, 0);
    EXPECT_EQ(vertical.p2, SchPoint(100, 20));
    EXPECT_EQ(vertical.area(), SchRect(95, 20, 106, 51));

    SchTag corner = makeTag({INT32_MAX, INT32_MAX}, "ab", true, 0);
    EXPECT_EQ(corner.area(), SchRect(INT32_MAX, INT32_MAX - 5, INT32_MAX, INT32_MAX));
}

TEST(SchTag, MirroringExchangesShapesOfHorizontalTags) {
    SchTag tag = makeTag({100, 50}, "ab", true, 1);
    tag.mirrorAt(0);
    EXPECT_EQ(tag.p1, SchPoint(-130, 50));
    EXPECT_EQ(tag.p2, SchPoint(-100, 50));
    EXPECT_EQ(tag.tagType, 2);

    tag.mirror();  // about its own middle
    EXPECT_EQ(tag.p1, SchPoint(-130, 50));
    EXPECT_EQ(tag.p2, SchPoint(-100, 50));
    EXPECT_EQ(tag.tagType, 1);

    SchTag vertical = makeTag({100, 50}, "ab", false, 1);
    vertical.mirrorAt(0);
    EXPECT_EQ(vertical.p1, SchPoint(-100, 50));
    EXPECT_EQ(vertical.p2, SchPoint(-100, 20));
    EXPECT_EQ(vertical.tagType, 1);
}

TEST(SchTag, RotationTurnsAndReordersEnds) {
    SchTag tag = makeTag({100, 50}, "ab", true, 1);
    tag.rotateAt(SchPoint(0, 0));
    EXPECT_FALSE(tag.horizontal);
    EXPECT_EQ(tag.p1, SchPoint(-50, 130));
    EXPECT_EQ(tag.p2, SchPoint(-50, 100));
    EXPECT_EQ(tag.tagType, 1);

    tag.rotateAt(SchPoint(0, 0));
    EXPECT_TRUE(tag.horizontal);
    EXPECT_EQ(tag.p1, SchPoint(-130, -50));
    EXPECT_EQ(tag.p2, SchPoint(-100, -50));
    EXPECT_EQ(tag.tagType, 2);

    SchTag inPlace = makeTag({100, 50}, "ab", true, 0);
    inPlace.rotate();  // about (115, 50), the centre of its area
    EXPECT_FALSE(inPlace.horizontal);
    EXPECT_EQ(inPlace.p1, SchPoint(115, 65));
    EXPECT_EQ(inPlace.p2, SchPoint(115, 35));

    SchTag edge = makeTag({INT32_MIN, INT32_MIN}, "ab", true, 0);
    edge.rotateAt(SchPoint(INT32_MAX, INT32_MAX));
    EXPECT_EQ(edge.p1, SchPoint(INT32_MAX, INT32_MIN + 30));  // x saturates
    EXPECT_EQ(edge.p2, SchPoint(INT32_MAX, INT32_MIN));
}

TEST(SchTag, ConnectionPointsAndDerivedFarEnd) {
    SchTag tag = makeTag({100, 50}, "ab", true, 0);
    EXPECT_EQ(tag.connectionCount(), 2);
    EXPECT_EQ(tag.connectionPoint(0), SchPoint(100, 50));
    for (const int index : {1, 2, -1}) {
        EXPECT_EQ(tag.connectionPoint(index), SchPoint(130, 50));
    }
    tag.setP2(SchPoint(1, 1));
    tag.setX2(1);
    tag.setY2(1);
    EXPECT_EQ(tag.p2, SchPoint(130, 50));
}

}  // namespace
