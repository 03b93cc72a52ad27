#include <gtest/gtest.h>

#include <string>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "model/component.h"
#include "record_io.h"

namespace {

void expectSameFields(const SchComponent& a, const SchComponent& b) {
    EXPECT_EQ(a.p1, b.p1);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.namePos, b.namePos);
    EXPECT_EQ(a.reference, b.reference);
    EXPECT_EQ(a.refPos, b.refPos);
    EXPECT_EQ(a.block, b.block);
    EXPECT_EQ(a.direction, b.direction);
    EXPECT_EQ(a.pinSides, b.pinSides);
    EXPECT_EQ(a.part, b.part);
    EXPECT_EQ(a.libraryName, b.libraryName);
}

TEST(SchComponent, WritesTheRecordAndReadsItBack) {
    SchComponent c;
    c.layer = 2;
    c.setP1(SchPoint(120, 80));
    c.setLibraryName("74LS00");
    c.setDirection(13);  // low three bits: 5
    c.setBlock(2);
    c.setName("U 1,%");
    c.namePos = SchPoint(-3, 25);
    c.setReference("");
    EXPECT_EQ(writeRecord(c),
              "+COMPONENT,L:2,X:120,Y:80,LIB:74LS00,DIR:5,BLK:2,N:U%201%2C%25,NX:-3,NY:25,R:,"
              "RX:2,RY:10,-COMPONENT\r\n");
    const SchPoint offset(20, -20);
    const std::string shifted = writeRecord(c, &offset);
    EXPECT_EQ(shifted.substr(0, 27), "+COMPONENT,L:2,X:100,Y:100,");
    EXPECT_NE(shifted.find(",NX:-3,NY:25,"), std::string::npos);

    // No library is registered, so the block reads back as 0; the layer is never read.
    SchComponent back;
    ASSERT_TRUE(readBody(back, shifted.substr(11), &offset));
    c.layer = 0;
    c.block = 0;
    expectSameFields(back, c);
    EXPECT_EQ(back.layer, 0);
}

TEST(SchComponent, ReadAcceptanceRules) {
    struct Case {
        const char* body;
        bool ok;
        SchPoint p1;
        int direction, block;
        const char* name;
        const char* library;
    };
    // Every read starts from p1 (-1, -1), direction 3, block 5, name "old", library "oldlib".
    const Case cases[] = {
        {"X:1,Y:2,LIB:A,-COMPONENT", true, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,DIR:9,-COMPONENT", true, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,DIR:-1,-COMPONENT", true, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,DIR:7,-COMPONENT", true, {1, 2}, 7, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,DIR:,-COMPONENT", true, {1, 2}, 0, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,BLK:2,-COMPONENT", true, {1, 2}, 3, 0, "old", "A"},
        {"X:1,Y:2,N:,LIB:,-COMPONENT", true, {1, 2}, 3, 5, "", ""},
        {"X:1,Y:2,LIB:A,N:AB%00CD,-COMPONENT", true, {1, 2}, 3, 5, "AB", "A"},
        {"X:12abc,Y: -7,L:9,:5,Q,LIB:A,-COMPONENT", true, {12, -7}, 3, 5, "old", "A"},
        {"X:99999999999,Y:-99999999999,LIB:A,-COMPONENT",
         true,
         {INT32_MAX, INT32_MIN},
         3,
         5,
         "old",
         "A"},
        {"X:1,Y:2,+FOO,X:9,N:in,-BAR,-FOO,LIB:A,-COMPONENT", true, {1, 2}, 3, 5, "old", "A"},
        {"Y:2,LIB:A,-COMPONENT", false, {-1, 2}, 3, 5, "old", "A"},
        {"X:1,LIB:A,-COMPONENT", false, {1, -1}, 3, 5, "old", "A"},
        {"X:1,Y:2,N:n,-COMPONENT", false, {1, 2}, 3, 5, "n", "oldlib"},
        {"X:1,Y:2,LIB:A,-component", false, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,-COMPONENTS", false, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,-WIRE,-COMPONENT", false, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A", false, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,+FOO,-COMPONENT", false, {1, 2}, 3, 5, "old", "A"},
        {"X:1,Y:2,LIB:A,N:%4", false, {1, 2}, 3, 5, "old", "A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        SchComponent e;
        e.setDirection(3);
        e.setBlock(5);
        e.setName("old");
        e.setLibraryName("oldlib");
        EXPECT_EQ(readBody(e, c.body), c.ok);
        EXPECT_EQ(e.p1, c.p1);
        EXPECT_EQ(e.direction, c.direction);
        EXPECT_EQ(e.block, c.block);
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.libraryName, c.library);
        EXPECT_EQ(e.part, nullptr);
        EXPECT_EQ(e.layer, 0);
    }

    SchComponent e;
    const SchPoint offset(10, -10);
    ASSERT_TRUE(readBody(e, "X:1,Y:2,NX:3,NY:4,RX:5,RY:6,LIB:A,-COMPONENT", &offset));
    EXPECT_EQ(e.p1, SchPoint(11, -8));
    EXPECT_EQ(e.namePos, SchPoint(3, 4));
    EXPECT_EQ(e.refPos, SchPoint(5, 6));
    const SchPoint distant(INT32_MAX, INT32_MIN);
    ASSERT_TRUE(readBody(e, "X:5,Y:-5,LIB:A,-COMPONENT", &distant));
    EXPECT_EQ(e.p1, SchPoint(INT32_MAX, INT32_MIN));
}

TEST(SchComponent, GeometryWithoutPart) {
    SchComponent c;
    c.setP1(SchPoint(100, 100));
    EXPECT_EQ(c.bodySize(), SchPoint(20, 20));
    EXPECT_EQ(c.bodyArea(), SchRect(80, 80, 100, 100));
    EXPECT_EQ(c.area(), SchRect(80, 80, 100, 100));
    EXPECT_EQ(c.pointArea(), c.bodyArea());
    EXPECT_EQ(c.connectionCount(), 0);
    EXPECT_EQ(c.connectionPoint(0), SchPoint(0, 0));
    EXPECT_EQ(c.areaCrossFlags(SchRect(100, 100, 200, 200)), 3);
    EXPECT_EQ(c.areaPointFlags(SchRect(101, 0, 200, 200)), 0);

    c.selection = 2;
    c.move(5, -7);
    c.setP2(SchPoint(9, 9));
    EXPECT_EQ(c.p1, SchPoint(105, 93));
    EXPECT_EQ(c.p2, SchPoint(0, 0));
}

TEST(SchComponent, HitTestScoresBodyAndTexts) {
    SchComponent c;
    c.setP1(SchPoint(100, 100));
    c.setName("ABC");
    c.namePos = SchPoint(-15, -5);  // name box (85, 85)..(109, 95)
    c.setReference("R");            // reference box (102, 100)..(110, 110)
    EXPECT_EQ(c.hitTest(SchPoint(90, 90)), kHitElement | kHitName | 65);
    EXPECT_EQ(c.hitTest(SchPoint(105, 90)), kHitName | 17);
    EXPECT_EQ(c.hitTest(SchPoint(106, 105)), kHitReference | 65);
    EXPECT_EQ(c.hitTest(SchPoint(100, 90)), kHitName | 49);  // on the body's edge
    EXPECT_EQ(c.hitTest(SchPoint(0, 0)), 0);
}

TEST(SchComponent, RotationWithoutPart) {
    SchComponent c;
    c.setP1(SchPoint(100, 100));
    c.namePos = SchPoint(7, 7);
    c.rotateAt(SchPoint(0, 0));
    EXPECT_EQ(c.p1, SchPoint(-80, 100));
    EXPECT_EQ(c.direction, 1);
    EXPECT_EQ(c.namePos, SchPoint(2, 20));

    // Four quarter turns in place restore the orientation and the pin sides of every start.
    for (int direction = 0; direction < 8; ++direction) {
        for (int sides = 0; sides < 16; ++sides) {
            SchComponent r;
            r.setP1(SchPoint(3, 4));
            r.setDirection(direction);
            r.pinSides = sides;
            r.refPos = SchPoint(0, 0);
            r.rotate();
            EXPECT_NE(r.direction, direction);
            for (int i = 0; i < 3; ++i) {
                r.rotate();
            }
            EXPECT_EQ(r.direction, direction);
            EXPECT_EQ(r.pinSides, sides);
            EXPECT_EQ(r.p1, SchPoint(3, 4));
            EXPECT_EQ(r.refPos, SchPoint(2, 10));
        }
    }
}

TEST(SchComponent, MirrorWithoutPart) {
    SchComponent c;
    c.setP1(SchPoint(100, 100));
    c.setName("abc");
    c.setReference("R12");
    c.refPos = SchPoint(-4, 3);
    c.pinSides = 0b0011;
    const SchComponent before(c);
    c.mirrorAt(0);
    EXPECT_EQ(c.p1, SchPoint(-80, 100));
    EXPECT_EQ(c.namePos, SchPoint(-46, 20));
    EXPECT_EQ(c.refPos, SchPoint(-40, 3));
    EXPECT_EQ(c.direction, 4);
    EXPECT_EQ(c.pinSides, 0b0110);
    c.mirrorAt(0);
    expectSameFields(c, before);

    c.setDirection(5);
    c.mirror();
    EXPECT_EQ(c.direction, 1);
    EXPECT_EQ(c.p1, SchPoint(100, 100));
}

// A library part of the tests' own: 4 x 3 grid units, two blocks, pins on the left, top and right.
class ComponentWithPart : public ::testing::Test {
  protected:
    void SetUp() override {
        library.parts.push_back(LibraryPart{"Other", {1, 1}, 1, {}});
        library.parts.push_back(LibraryPart{"Gate4x3", {4, 3}, 2, {{0, 1}, {1, 2}, {2, 1}}});
        ASSERT_TRUE(registerPartLibrary(&library));
        gate = &library.parts[1];
    }
    void TearDown() override { clearPartLibraries(); }

    SchComponent placed(int direction) const {
        SchComponent c;
        c.part = gate;
        c.setP1(SchPoint(100, 100));
        c.setDirection(direction);
        c.updatePinSides();
        return c;
    }

    PartLibrary library;
    const LibraryPart* gate = nullptr;
};

TEST_F(ComponentWithPart, PinEndsSidesAndBodyByDirection) {
    struct Case {
        int direction;
        SchPoint size;
        SchPoint ends[3];
        int sides[3];
        int pinSides;
        SchRect area;
    };
    const Case cases[] = {
        {0, {40, 30}, {{50, 80}, {80, 60}, {110, 80}}, {0, 1, 2}, 0b0111, {50, 60, 110, 100}},
        {1, {30, 40}, {{90, 50}, {110, 80}, {90, 110}}, {1, 2, 3}, 0b1110, {70, 50, 110, 110}},
        {2, {40, 30}, {{110, 90}, {80, 110}, {50, 90}}, {2, 3, 0}, 0b1101, {50, 70, 110, 110}},
        {3, {30, 40}, {{80, 110}, {60, 80}, {80, 50}}, {3, 0, 1}, 0b1011, {60, 50, 100, 110}},
        {4, {40, 30}, {{110, 80}, {80, 60}, {50, 80}}, {2, 1, 0}, 0b0111, {50, 60, 110, 100}},
        {5, {30, 40}, {{80, 50}, {60, 80}, {80, 110}}, {1, 0, 3}, 0b1011, {60, 50, 100, 110}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        const SchComponent e = placed(c.direction);
        EXPECT_EQ(e.bodySize(), c.size);
        EXPECT_EQ(e.connectionCount(), 3);
        for (int n = 0; n < 3; ++n) {
            int side = -1;
            SchPoint end;
            EXPECT_EQ(e.pinPoint(n, side, end), &gate->pins[static_cast<std::size_t>(n)]);
            EXPECT_EQ(side, c.sides[n]);
            EXPECT_EQ(end, c.ends[n]);
            EXPECT_EQ(e.connectionPoint(n), c.ends[n]);
        }
        int side = -1;
        SchPoint end(7, 7);
        EXPECT_EQ(e.pinPoint(3, side, end), nullptr);
        EXPECT_EQ(e.pinPoint(-1, side, end), nullptr);
        EXPECT_EQ(side, -1);
        EXPECT_EQ(end, SchPoint(7, 7));
        EXPECT_EQ(e.connectionPoint(3), SchPoint(0, 0));
        EXPECT_EQ(e.pinSides, c.pinSides);
        EXPECT_EQ(e.area(), c.area);
    }
}

TEST_F(ComponentWithPart, ReadFindsPartChecksBlockAndAddsPinSides) {
    struct Case {
        const char* body;
        int block;
    };
    const Case cases[] = {
        {"X:100,Y:100,LIB:gate4X3,DIR:1,BLK:1,-COMPONENT", 1},
        {"X:100,Y:100,LIB:GATE4X3,DIR:1,BLK:2,-COMPONENT", 0},
        {"X:100,Y:100,LIB:Gate4x3,DIR:1,BLK:-1,-COMPONENT", 0},
        {"X:100,Y:100,BLK:1,LIB:Gate4x3,DIR:1,-COMPONENT", 0},  // no part yet at BLK
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        SchComponent e;
        e.setBlock(9);
        e.pinSides = 0b0001;  // kept: reading adds the sides of the pins
        ASSERT_TRUE(readBody(e, c.body));
        EXPECT_EQ(e.part, gate);
        EXPECT_EQ(e.block, c.block);
        EXPECT_EQ(e.pinSides, 0b1111);
    }

    SchComponent e = placed(0);
    ASSERT_TRUE(readBody(e, "X:0,Y:0,LIB:Gate4x3 ,BLK:1,-COMPONENT"));
    EXPECT_EQ(e.part, nullptr);
    EXPECT_EQ(e.pinSides, 0);
    EXPECT_EQ(e.block, 0);
}

TEST_F(ComponentWithPart, RotateAndMirrorKeepTheBody) {
    SchComponent c = placed(0);  // body (60, 70)..(100, 100), centre (80, 85)
    c.rotateAt(SchPoint(0, 0));
    EXPECT_EQ(c.direction, 1);
    EXPECT_EQ(c.p1, SchPoint(-70, 100));
    EXPECT_EQ(c.bodyArea(), SchRect(-100, 60, -70, 100));
    const int turned = c.pinSides;
    c.pinSides = 0;
    c.updatePinSides();
    EXPECT_EQ(turned, c.pinSides);

    c.setName("Q1");
    c.setReference("U7");
    const SchComponent before(c);
    c.mirrorAt(-90);  // d = 15
    EXPECT_EQ(c.p1, SchPoint(-80, 100));
    EXPECT_EQ(c.namePos.x, -30 - 2 - 16);
    EXPECT_EQ(c.direction, 5);
    const int mirrored = c.pinSides;
    c.pinSides = 0;
    c.updatePinSides();
    EXPECT_EQ(mirrored, c.pinSides);
    c.mirrorAt(-90);
    expectSameFields(c, before);

    c.mirror();
    EXPECT_EQ(c.p1, before.p1);
    EXPECT_EQ(c.direction, 5);

    const auto copy = c.clone();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->kind(), SchKind::Component);
    expectSameFields(static_cast<const SchComponent&>(*copy), c);
}

// Coordinates at the 32-bit limits, a huge part and long texts saturate instead of overflowing.
TEST(SchComponent, ExtremesSaturate) {
    PartLibrary library;
    library.parts.push_back(
        LibraryPart{"HUGE", {INT32_MAX, INT32_MIN}, 1, {{0, INT32_MAX}, {3, INT32_MIN}}});
    for (const SchPoint at : {SchPoint(INT32_MIN, INT32_MIN), SchPoint(INT32_MAX, INT32_MAX)}) {
        for (int direction = 0; direction < 8; ++direction) {
            SchComponent c;
            c.part = &library.parts[0];
            c.setP1(at);
            c.setDirection(direction);
            c.setName(std::string(32768, 'W').c_str());
            c.namePos = SchPoint(INT32_MAX, INT32_MIN);
            c.refPos = SchPoint(INT32_MIN, INT32_MAX);
            c.updatePinSides();
            const SchPoint size = c.bodySize();
            EXPECT_TRUE(size.x == INT32_MAX || size.x == INT32_MIN);
            c.area();
            c.connectionPoint(0);
            c.connectionPoint(1);
            c.hitTest(SchPoint(0, 0));
            c.move(INT32_MAX, INT32_MIN);
            c.mirror();
            c.mirrorAt(INT32_MIN);
            c.rotate();
            c.rotateAt(SchPoint(INT32_MAX, INT32_MIN));
            EXPECT_EQ(c.namePos, SchPoint(2, 20));
        }
    }
    SchComponent c;
    c.setP1(SchPoint(INT32_MIN, INT32_MAX));
    EXPECT_EQ(c.bodyArea(), SchRect(INT32_MIN, INT32_MAX - 20, INT32_MIN, INT32_MAX));
    c.move(-1, 1);
    EXPECT_EQ(c.p1, SchPoint(INT32_MIN, INT32_MAX));
    c.mirrorAt(INT32_MAX);
    EXPECT_EQ(c.p1.x, INT32_MAX);
}

}  // namespace
