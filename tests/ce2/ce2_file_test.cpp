#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ce2/ce2_read_outcome.h"
#include "ce2/ce2_reader.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"
#include "model/document.h"

namespace {

using namespace ce2build;
using namespace ce2test;

TEST(Ce2File, EmptyStream) {
    const Outcome o = readAll(std::string());
    EXPECT_EQ(o.count, 0);
    EXPECT_EQ(o.elements, 0u);
    EXPECT_EQ(o.sheet, SchPoint(1500, 1000));
    EXPECT_EQ(o.report.stop, Ce2Stop::EndOfFile);
    EXPECT_EQ(o.report.offset, 0);
    EXPECT_EQ(o.report.type, -1);
}

TEST(Ce2File, HeadersSizeTheSheetOnlyBeforeTheFirstElement) {
    struct Case {
        std::string bytes;
        int count;
        SchPoint sheet;
    };
    const std::vector<Case> cases = {
        {header({.sizeIndex = 2}), 0, {1600, 1200}},
        {header({.sizeIndex = 7, .width = 6000, .height = 3000}), 0, {1500, 1000}},
        {header({.sizeIndex = 7, .width = 6000, .height = 3000}) + header({.sizeIndex = 0}),
         0,
         {640, 480}},
        {header({.sizeIndex = 9, .width = 500, .height = 400}) + kWireRecord, 1, {500, 400}},
        {header({.sizeIndex = 3}) + header({.sizeIndex = 1}) + kWireRecord, 1, {1000, 750}},
        {kWireRecord + header({.sizeIndex = 2}) + kWireRecord, 2, {1500, 1000}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Outcome o = readAll(cases[i].bytes);
        EXPECT_EQ(o.count, cases[i].count) << i;
        EXPECT_EQ(o.elements, static_cast<std::size_t>(cases[i].count)) << i;
        EXPECT_EQ(o.sheet, cases[i].sheet) << i;
        EXPECT_EQ(o.report.stop, Ce2Stop::EndOfFile) << i;
        EXPECT_EQ(o.report.offset, static_cast<long>(cases[i].bytes.size())) << i;
    }
}

TEST(Ce2File, StopsAndReports) {
    struct Case {
        std::string bytes;
        int count;
        Ce2Stop stop;
        long offset;
        int type;
        std::string text;
    };
    const std::string note = comment({.text = "note"});  // 18 bytes
    const std::vector<Case> cases = {
        {header({.corruptMagicAt = 5}) + kWireRecord, 0, Ce2Stop::BadMagic, 0, 9,
         "reading stopped at byte 0: header with a wrong magic"},
        {kWireRecord + note + header({.corruptMagicAt = 19}) + kWireRecord, 2, Ce2Stop::BadMagic,
         28, 9, "reading stopped at byte 28: header with a wrong magic"},
        {kWireRecord + kWireRecord + kWireRecord + raw({7}) + kWireRecord, 3, Ce2Stop::UnknownType,
         30, 7, "reading stopped at byte 30: unknown record type 7"},
        {note + raw({0xFF}), 1, Ce2Stop::UnknownType, 18, 255,
         "reading stopped at byte 18: unknown record type 255"},
        {kWireRecord + comment({.text = "x", .recordLength = 13}) + kWireRecord, 1,
         Ce2Stop::BadCommentLength, 10, 16,
         "reading stopped at byte 10: comment length 13 outside 14..77"},
        {kWireRecord + comment({.text = "x", .recordLength = 78}) + kWireRecord, 1,
         Ce2Stop::BadCommentLength, 10, 16,
         "reading stopped at byte 10: comment length 78 outside 14..77"},
        {comment({.recordLength = -1}), 0, Ce2Stop::BadCommentLength, 0, 16,
         "reading stopped at byte 0: comment length -1 outside 14..77"},
        {kWireRecord + kWireRecord.substr(0, 9), 1, Ce2Stop::CutRecord, 10, 3,
         "reading stopped at byte 10: record of type 3 cut short"},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const Outcome o = readAll(c.bytes);
        EXPECT_EQ(o.count, c.count) << i;
        EXPECT_EQ(o.elements, static_cast<std::size_t>(c.count)) << i;
        EXPECT_EQ(o.report.stop, c.stop) << i;
        EXPECT_EQ(o.report.offset, c.offset) << i;
        EXPECT_EQ(o.report.type, c.type) << i;
        EXPECT_EQ(describeCe2Stop(o.report), c.text) << i;
    }
    EXPECT_EQ(describeCe2Stop(Ce2ReadReport{}), "read to the end");
}

TEST(Ce2File, NothingAfterAStopIsRead) {
    FilePtr f = fileStreamOf(kWireRecord + raw({7, 0x42}));
    EXPECT_EQ(readAll(f.get()).count, 1);
    EXPECT_EQ(std::fgetc(f.get()), 0x42);
}

TEST(Ce2File, CutAtEveryPointOfEveryRecordKind) {
    const std::vector<std::string> records = {
        junction(0x10, 1, 2),
        entry(0x02, 1, 2),
        line(kBus, 0, 1, 2, 3, 4),
        line(kDash, 0, 1, 2, 3, 4),
        label({.text = "LBL"}),
        tag({.text = "TAG"}),
        component({.name = "U1", .reference = "R", .library = "LIB"}),
        comment({.sizeClass = 1, .text = "cut me"}),
        header({.sizeIndex = 2}),
    };
    for (const std::string& record : records) {
        const int type = static_cast<unsigned char>(record[0]);
        for (std::size_t cut = 1; cut < record.size(); ++cut) {
            const Outcome o = readAll(kWireRecord + record.substr(0, cut));
            EXPECT_EQ(o.count, 1) << type << " cut at " << cut;
            EXPECT_EQ(o.elements, 1u);
            EXPECT_EQ(o.sheet, SchPoint(1500, 1000));
            EXPECT_EQ(o.report.stop, Ce2Stop::CutRecord) << type << " cut at " << cut;
            EXPECT_EQ(o.report.offset, 10);
            EXPECT_EQ(o.report.type, type);
        }
        const Outcome whole = readAll(kWireRecord + record);
        EXPECT_EQ(whole.count, type == kHeader ? 1 : 2) << type;
        EXPECT_EQ(whole.report.stop, Ce2Stop::EndOfFile) << type;
        EXPECT_EQ(whole.report.offset, static_cast<long>(10 + record.size())) << type;
    }
}

}  // namespace
