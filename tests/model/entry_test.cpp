#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ce3/ce3_reader.h"
#include "ce3/ce3_writer.h"
#include "model/entry.h"
#include "record_io.h"

namespace {

TEST(SchEntry, DefaultsAndSettersKeepTheShape) {
    std::vector<std::unique_ptr<SchEntry>> fresh;
    fresh.push_back(std::make_unique<SchEntry>());
    fresh.push_back(std::make_unique<SchBusEntry>());
    for (const auto& entry : fresh) {
        EXPECT_EQ(entry->p1, SchPoint(0, 10));
        EXPECT_EQ(entry->p2, SchPoint(10, 0));
    }

    SchEntry entry;
    entry.setP1(SchPoint(100, 200));
    EXPECT_EQ(entry.p1, SchPoint(100, 200));
    EXPECT_EQ(entry.p2, SchPoint(110, 190));
    entry.setY1(50);
    EXPECT_EQ(entry.p2, SchPoint(110, 40));
    entry.setSlant(false);
    EXPECT_EQ(entry.p2, SchPoint(90, 40));
    entry.setX1(0);  // keeps the left slant
    EXPECT_EQ(entry.p1, SchPoint(0, 50));
    EXPECT_EQ(entry.p2, SchPoint(-10, 40));

    entry.setP2(SchPoint(7, 7));
    entry.setX2(7);
    entry.setY2(7);
    EXPECT_EQ(entry.p2, SchPoint(-10, 40));

    // Ends out of order: setX1 puts the lower end first before moving it.
    entry.p1 = SchPoint(100, 100);
    entry.p2 = SchPoint(110, 110);
    entry.setX1(0);
    EXPECT_EQ(entry.p1, SchPoint(0, 110));
    EXPECT_EQ(entry.p2, SchPoint(-10, 100));

    SchEntry corner;
    corner.setP1(SchPoint(INT32_MAX - 5, INT32_MIN + 5));
    EXPECT_EQ(corner.p2, SchPoint(INT32_MAX, INT32_MIN));
}

TEST(SchEntry, ReadingRegularisesTheStub) {
    struct Case {
        std::string body;
        SchPoint p1, p2;
    };
    const std::vector<Case> cases = {
        {"L:0,X1:0,Y1:50,X2:30,Y2:0,-ENTRY", {0, 50}, {10, 40}},
        {"L:0,X1:100,Y1:100,X2:110,Y2:110,-ENTRY", {110, 110}, {100, 100}},
        {"L:0,X1:100,Y1:100,X2:100,Y2:90,-ENTRY", {100, 100}, {90, 90}},
        {"L:0,X1:100,Y1:100,X2:100,Y2:100,-ENTRY", {100, 100}, {90, 90}},
    };
    for (const Case& c : cases) {
        SchEntry entry;
        ASSERT_TRUE(readBody(entry, c.body)) << c.body;
        EXPECT_EQ(entry.p1, c.p1) << c.body;
        EXPECT_EQ(entry.p2, c.p2) << c.body;
        EXPECT_TRUE(entry.isValid()) << c.body;
    }

    SchBusEntry bus;
    Ce3Reader wrongTag("X1:0,Y1:50,X2:30,Y2:0,-ENTRY");
    EXPECT_FALSE(bus.readCe3(wrongTag, nullptr, nullptr));
    Ce3Reader missing("X1:0,Y1:50,X2:30,-BENTRY");
    EXPECT_FALSE(bus.readCe3(missing, nullptr, nullptr));
}

TEST(SchEntry, WritingPutsTheLowerEndFirst) {
    SchEntry entry;
    entry.setP1(SchPoint(100, 200));
    std::string out;
    Ce3Writer writer(&out);
    EXPECT_TRUE(entry.writeCe3(writer, nullptr));
    EXPECT_EQ(out, "+ENTRY,L:0,X1:100,Y1:200,X2:110,Y2:190,-ENTRY\r\n");

    SchBusEntry bus;
    bus.p1 = SchPoint(110, 190);
    bus.p2 = SchPoint(100, 200);
    const std::unique_ptr<SchElement> copy = bus.clone();
    EXPECT_EQ(copy->kind(), SchKind::BusEntry);
    out.clear();
    EXPECT_TRUE(copy->writeCe3(writer, nullptr));
    EXPECT_EQ(out, "+BENTRY,L:0,X1:100,Y1:200,X2:110,Y2:190,-BENTRY\r\n");
    EXPECT_EQ(copy->p1, SchPoint(100, 200));

    Ce3Reader reader(out.c_str());
    std::string opener;
    ASSERT_GE(reader.readToken(opener), 0);
    SchBusEntry back;
    ASSERT_TRUE(back.readCe3(reader, nullptr, nullptr));
    EXPECT_EQ(back.p1, SchPoint(100, 200));
    EXPECT_EQ(back.p2, SchPoint(110, 190));
}

TEST(SchEntry, SelectedOnlyAsAWhole) {
    SchEntry entry;
    entry.setP1(SchPoint(100, 200));
    EXPECT_EQ(entry.areaPointFlags(SchRect(105, 185, 120, 195)), 3);  // only p2 inside
    EXPECT_EQ(entry.areaPointFlags(SchRect(0, 0, 50, 50)), 0);
}

}  // namespace
