#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "model/line_element.h"
#include "record_io.h"

namespace {

// Reads one whole record line: its opening token, then the element's body.
bool readLine(SchElement& e, const std::string& line, const SchPoint* offset = nullptr) {
    Ce3Reader reader(line.c_str());
    std::string opener;
    return reader.readToken(opener) >= 0 && e.readCe3(reader, offset, nullptr);
}

TEST(SchLineElement, RecordsWriteAndReadBack) {
    struct Case {
        std::unique_ptr<SchLineElement> element;
        int kind;
        std::string line;
    };
    std::vector<Case> cases;
    cases.push_back({std::make_unique<SchWire>(), SchKind::Wire,
                     "+WIRE,L:0,X1:100,Y1:200,X2:300,Y2:200,-WIRE\r\n"});
    cases.push_back({std::make_unique<SchBus>(), SchKind::Bus,
                     "+BUS,L:0,X1:100,Y1:200,X2:300,Y2:200,-BUS\r\n"});
    cases.push_back({std::make_unique<SchDash>(), SchKind::Dash,
                     "+DASH,L:0,X1:100,Y1:200,X2:300,Y2:200,-DASH\r\n"});
    for (Case& c : cases) {
        c.element->setP1(SchPoint(100, 200));
        c.element->setP2(SchPoint(300, 200));
        EXPECT_EQ(c.element->kind(), c.kind);
        EXPECT_EQ(c.element->clone()->kind(), c.kind);
        EXPECT_EQ(writeRecord(*c.element), c.line);

        const std::unique_ptr<SchElement> back = c.element->clone();
        back->setP1(SchPoint(0, 0));
        back->setP2(SchPoint(0, 0));
        ASSERT_TRUE(readLine(*back, c.line)) << c.line;
        EXPECT_EQ(back->p1, SchPoint(100, 200));
        EXPECT_EQ(back->p2, SchPoint(300, 200));
    }

    SchWire wire;
    wire.layer = 4;
    wire.setP1(SchPoint(10, 10));
    wire.setP2(SchPoint(20, 10));
    const SchPoint offset(5, 5);
    const std::string line = writeRecord(wire, &offset);
    EXPECT_EQ(line, "+WIRE,L:4,X1:5,Y1:5,X2:15,Y2:5,-WIRE\r\n");
    SchWire back;
    ASSERT_TRUE(readLine(back, line, &offset));
    EXPECT_EQ(back.p1, SchPoint(10, 10));
    EXPECT_EQ(back.p2, SchPoint(20, 10));
    EXPECT_EQ(back.layer, 0);
}

TEST(SchLineElement, ReadAcceptanceRules) {
    const SchPoint shift(5, -5);
    struct Case {
        std::string body;  // the record after its opening token
        const SchPoint* offset;
        bool ok;
        SchPoint p1, p2;
    };
    const std::vector<Case> cases = {
        {"L:3,X1:0,Y1:0,X2:10,Y2:0,-WIRE", nullptr, true, {0, 0}, {10, 0}},
        {"X1:0,Y1:0,X2:10,-WIRE", nullptr, false, {0, 0}, {10, 0}},
        {"X1:0,Y1:0,X2:10,Y2:0,-BUS", nullptr, false, {0, 0}, {10, 0}},
        {"X1:0,Y1:0,X2:10,Y2:0,-wire", nullptr, false, {0, 0}, {10, 0}},
        {"X1:0,Y1:0,X2:10,Y2:0,-WIRE ", nullptr, false, {0, 0}, {10, 0}},
        {"X1:0,Y1:0,X2:10,Y2:0", nullptr, false, {0, 0}, {10, 0}},
        {"X1:7,X1:,Y1:0,X2:10,Y2:0,-WIRE", nullptr, true, {7, 0}, {10, 0}},
        {"X1:,Y1:0,X2:10,Y2:0,-WIRE", nullptr, false, {-1, 0}, {10, 0}},
        {"X1:1,,Y1:2,:9,x2:9,X2 9,X2:3,Y2:4,-WIRE", nullptr, true, {1, 2}, {3, 4}},
        {"X1:1,Y1:2,-WIRE,X2:3,Y2:4,-WIRE", nullptr, false, {1, 2}, {0, 0}},
        {"X1:1,Y1:2,-,X2:3,Y2:4,-WIRE", nullptr, false, {1, 2}, {0, 0}},
        {"X1:1,+SUB,X1:9,+SUB,-SUB,Y1:2,X2:3,Y2:4,-WIRE", nullptr, true, {1, 2}, {3, 4}},
        {"X1:1,Y1:2,X2:3,Y2:4,+SUB,-WIRE", nullptr, false, {1, 2}, {3, 4}},
        {"X1:1,Y1:2,X2:3,Y2:4,X2:5,-WIRE", nullptr, true, {1, 2}, {5, 4}},
        {"X1: -5,Y1:12abc,X2:99999999999,Y2:-99999999999,-WIRE",
         nullptr,
         true,
         {-5, 12},
         {INT32_MAX, INT32_MIN}},
        {"X1:0,Y1:0,X2:2147483647,Y2:-2147483648,-WIRE",
         &shift,
         true,
         {5, -5},
         {INT32_MAX, INT32_MIN}},
    };
    for (const Case& c : cases) {
        SchWire wire;
        EXPECT_EQ(readBody(wire, c.body, c.offset), c.ok) << c.body;
        EXPECT_EQ(wire.p1, c.p1) << c.body;
        EXPECT_EQ(wire.p2, c.p2) << c.body;
        EXPECT_EQ(wire.layer, 0) << c.body;
    }
}

TEST(SchLineElement, AreaCrossing) {
    struct Case {
        SchPoint p1, p2;
        SchRect r;
        int flags;
    };
    const int32_t lo = INT32_MIN;
    const int32_t hi = INT32_MAX;
    const std::vector<Case> cases = {
        {{0, 0}, {10, 0}, {3, -1, 5, 1}, 3},    // ends left and right
        {{5, -10}, {5, 10}, {3, -1, 5, 1}, 3},  // ends above and below
        {{0, 0}, {10, 10}, {8, 0, 12, 2}, 0},   // passes below the corner
        {{0, 10}, {10, 0}, {4, 4, 6, 6}, 3},    // diagonal through the middle
        {{0, 0}, {4, 0}, {3, -1, 5, 1}, 3},     // one end inside
        {{0, 0}, {2, 0}, {3, -1, 5, 1}, 0},     // both ends on the left
        {{0, 0}, {3, -2}, {1, 0, 5, 0}, 3},     // -2/3 truncates to 0, not -1
        {{3, -2}, {0, 0}, {1, 0, 5, 0}, 0},     // reversed, 4/3 truncates to 1: a miss
        {{lo, hi}, {hi, lo}, {hi - 1, lo, hi - 1, lo + 1}, 3},  // products near 2^64
        {{lo, hi}, {hi, lo}, {hi - 1, lo, hi - 1, lo}, 0},
        {{hi, lo}, {lo, hi}, {hi - 1, lo, hi - 1, lo + 1}, 3},
        {{lo, lo}, {hi, hi}, {0, 0, 0, 0}, 3},
        {{lo, lo}, {hi, hi}, {1, 0, 1, 0}, 0},
    };
    for (const Case& c : cases) {
        SchWire wire;
        wire.setP1(c.p1);
        wire.setP2(c.p2);
        EXPECT_EQ(wire.areaCrossFlags(c.r), c.flags)
            << c.p1.x << "," << c.p1.y << " " << c.p2.x << "," << c.p2.y << " rect " << c.r.left
            << "," << c.r.top << "," << c.r.right << "," << c.r.bottom;
    }
}

TEST(SchLineElement, HitTestTouchAndPointFlags) {
    SchWire wire;
    wire.setP1(SchPoint(0, 0));
    wire.setP2(SchPoint(10, 0));
    EXPECT_EQ(wire.hitTest(SchPoint(5, 2)), 0x10001);
    EXPECT_EQ(wire.hitTest(SchPoint(5, -3)), 0x10001);
    EXPECT_EQ(wire.hitTest(SchPoint(5, 3)), 0);
    EXPECT_EQ(wire.hitTest(SchPoint(5, -4)), 0);
    EXPECT_EQ(wire.areaCrossFlags(SchRect(0, 1, 10, 5)), 0);
    EXPECT_TRUE(wire.touchesArea(SchRect(0, 1, 10, 5)));
    EXPECT_FALSE(wire.touchesArea(SchRect(0, 2, 10, 5)));
    EXPECT_EQ(wire.areaPointFlags(SchRect(8, -1, 12, 1)), 2);
    EXPECT_EQ(wire.areaPointFlags(SchRect(-1, -1, 12, 1)), 3);

    SchWire edge;  // the grown rectangle saturates instead of wrapping
    edge.setP1(SchPoint(INT32_MAX, 0));
    edge.setP2(SchPoint(INT32_MAX, 10));
    EXPECT_TRUE(edge.touchesArea(SchRect(INT32_MAX, 11, INT32_MAX, 20)));
}

TEST(SchLineElement, AreasPositionAndValidity) {
    struct Case {
        int selection;
        SchRect area;
        SchPoint position;
    };
    const std::vector<Case> cases = {
        {0, {8, 18, 33, 43}, {10, 20}},
        {1, {8, 18, 13, 23}, {10, 20}},
        {2, {28, 38, 33, 43}, {30, 40}},
        {3, {8, 18, 33, 43}, {10, 20}},
    };
    for (const Case& c : cases) {
        SchWire wire;
        wire.setP1(SchPoint(10, 20));
        wire.setP2(SchPoint(30, 40));
        wire.setSelection(c.selection);
        EXPECT_EQ(wire.area(), c.area) << c.selection;
        EXPECT_EQ(wire.position(), c.position) << c.selection;
        EXPECT_EQ(wire.pointArea(), SchRect(10, 20, 30, 40));
    }
    // Unselected: both ends' pick boxes whichever end lies left or above, saturating at the ends
    // of the 32-bit range.
    struct Ends {
        SchPoint p1, p2;
        SchRect area;
    };
    const std::vector<Ends> ends = {
        {{30, 40}, {10, 20}, {8, 18, 33, 43}},
        {{30, 20}, {10, 40}, {8, 18, 33, 43}},
        {{10, 40}, {30, 20}, {8, 18, 33, 43}},
        {{-5, 7}, {-5, 7}, {-7, 5, -2, 10}},
        {{INT32_MAX, INT32_MIN},
         {INT32_MIN, INT32_MAX},
         {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}},
        {{INT32_MIN + 1, INT32_MAX - 2},
         {INT32_MIN + 2, INT32_MAX - 3},
         {INT32_MIN, INT32_MAX - 5, INT32_MIN + 5, INT32_MAX}},
    };
    for (const Ends& e : ends) {
        SchWire wire;
        wire.setP1(e.p1);
        wire.setP2(e.p2);
        EXPECT_EQ(wire.area(), e.area) << e.p1.x << "," << e.p1.y;
    }
    SchWire reversed;
    reversed.setP1(SchPoint(30, 40));
    reversed.setP2(SchPoint(10, 20));
    EXPECT_EQ(reversed.pointArea(), SchRect(10, 20, 30, 40));
    EXPECT_TRUE(reversed.isValid());
    reversed.setP2(SchPoint(30, 40));
    EXPECT_FALSE(reversed.isValid());
}

}  // namespace
