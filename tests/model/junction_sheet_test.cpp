#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "model/junction.h"
#include "model/sheet_info.h"
#include "record_io.h"

namespace {

TEST(SchJunction, RecordWriteAndRead) {
    SchJunction junction;
    junction.setP1(SchPoint(120, 80));
    EXPECT_EQ(writeRecord(junction), "+JUNCTION,L:0,X:120,Y:80,-JUNCTION\r\n");
    junction.layer = 2;
    const SchPoint offset(20, -20);
    EXPECT_EQ(writeRecord(junction, &offset), "+JUNCTION,L:2,X:100,Y:100,-JUNCTION\r\n");

    struct Case {
        std::string body;
        bool ok;
        SchPoint p1;
    };
    const std::vector<Case> cases = {
        {"L:3,X:120,Y:80,-JUNCTION", true, {120, 80}},
        {"L:0,X:120,-JUNCTION", false, {120, -1}},
        {"X:-5,Y:12abc,X:,:5,Q,+X,Y:1,-X,-JUNCTION", true, {-5, 12}},
        {"X:1,Y:2,-JUNCTIONS", false, {1, 2}},
    };
    for (const Case& c : cases) {
        SchJunction j;
        EXPECT_EQ(readBody(j, c.body), c.ok) << c.body;
        EXPECT_EQ(j.p1, c.p1) << c.body;
        EXPECT_EQ(j.layer, 0);
    }
}

TEST(SchJunction, HitScoresAndAreas) {
    SchJunction junction;
    junction.setP1(SchPoint(100, 100));
    EXPECT_EQ(junction.hitTest(SchPoint(100, 100)), 0x10000 + 37);
    EXPECT_EQ(junction.hitTest(SchPoint(99, 100)), 0x10000 + 19);
    EXPECT_EQ(junction.hitTest(SchPoint(98, 100)), 0);
    EXPECT_EQ(junction.areaCrossFlags(SchRect(103, 103, 200, 200)), 3);
    EXPECT_EQ(junction.areaCrossFlags(SchRect(104, 104, 200, 200)), 0);
    EXPECT_EQ(junction.areaPointFlags(SchRect(103, 103, 200, 200)), 3);
    EXPECT_TRUE(junction.touchesArea(SchRect(103, 103, 200, 200)));
    EXPECT_EQ(junction.area(), SchRect(98, 98, 103, 103));
    EXPECT_EQ(junction.pointArea(), SchRect(100, 100, 100, 100));

    junction.setP2(SchPoint(5, 5));
    junction.mirror();
    junction.rotate();
    EXPECT_EQ(junction.p1, SchPoint(100, 100));
    EXPECT_EQ(junction.p2, SchPoint(0, 0));
    junction.mirrorAt(50);
    EXPECT_EQ(junction.p1, SchPoint(0, 100));
    EXPECT_EQ(junction.clone()->p1, SchPoint(0, 100));
}

TEST(SchSheetInfo, RecordAndInertEditing) {
    SchSheetInfo sheet;
    EXPECT_EQ(sheet.p1, SchPoint(1500, 1000));
    EXPECT_EQ(sheet.area(), SchRect(0, 0, 1500, 1000));
    EXPECT_EQ(writeRecord(sheet), "+SHEETINFO,EL:0,VL:0,W:1500,H:1000,-SHEETINFO\r\n");

    sheet.setP1(SchPoint(1, 1));
    sheet.setX1(2);
    sheet.move(5, 5);
    sheet.setSelection(3);
    EXPECT_EQ(sheet.p1, SchPoint(1500, 1000));
    EXPECT_EQ(sheet.selection, 0);
    EXPECT_EQ(sheet.clone(), nullptr);

    sheet.layer = -4;
    sheet.selection = 7;
    sheet.p1 = SchPoint(1600, 1200);
    const SchPoint offset(100, 100);
    EXPECT_EQ(writeRecord(sheet, &offset), "+SHEETINFO,EL:-4,VL:7,W:1600,H:1200,-SHEETINFO\r\n");
    sheet.clearSelection();
    EXPECT_EQ(sheet.selection, 7);
}

TEST(SchSheetInfo, ReadRanges) {
    struct Case {
        std::string body;
        bool ok;
        SchPoint size;
    };
    const std::vector<Case> cases = {
        {"EL:3,VL:9,W:5000,H:400,-SHEETINFO", true, {5000, 400}},
        {"W:500,H:4000,-SHEETINFO", true, {500, 4000}},
        {"W:5001,H:399,-SHEETINFO", true, {1500, 1000}},
        {"W:499,H:4001,-SHEETINFO", true, {1500, 1000}},
        {"W:2000,H:,-SHEETINFO", true, {2000, 1000}},
        {"W:2000,-SHEETINFO", false, {2000, 1000}},
        {"W,WX:600,w:600,H:600,-SHEETINFO", false, {1500, 600}},
        {"W:600,+H,H:700,-H,H:800,-SHEETINFO", true, {600, 800}},
        {"W:600,H:800,-SHEET", false, {600, 800}},
    };
    for (const Case& c : cases) {
        SchSheetInfo sheet;
        EXPECT_EQ(readBody(sheet, c.body), c.ok) << c.body;
        EXPECT_EQ(sheet.p1, c.size) << c.body;
        EXPECT_EQ(sheet.layer, 0) << c.body;
        EXPECT_EQ(sheet.selection, 0) << c.body;
    }
}

}  // namespace
