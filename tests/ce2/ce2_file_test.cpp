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

// Comments that fill exactly `size` bytes, at least 14: few elements for many bytes.
std::string filler(std::size_t size) {
    const auto note = [](std::size_t recordSize) {
        return comment({.text = std::string(recordSize - 14, 'f')});
    };
    std::string bytes;
    while (size - bytes.size() > 77 + 14) {
        bytes += note(77);
    }
    if (size - bytes.size() > 77) {
        bytes += note(14);
    }
    return bytes + note(size - bytes.size());
}

TEST(Ce2File, NothingAfterAStopIsRead) {
    // Each stop leaves the stream after the bytes a reader taking one record at a time takes:
    // the type byte, and of a rejected header or comment its fixed part. The stream is read in
    // blocks, so the stop also lies in a later block.
    struct Case {
        std::string stop;
        std::size_t taken;  // of its bytes
    };
    const std::string badComment = comment({.sizeClass = 0x55, .text = "abc", .recordLength = 90});
    const std::vector<Case> cases = {
        {raw({7}), 1},
        {header({.corruptMagicAt = 3}), 60},
        {badComment.substr(0, 12), 12},
        {badComment, 12},
    };
    const std::string farAway = filler(kCe2ReadBlockBytes + 100);
    for (const std::string& before : {kWireRecord, farAway}) {
        for (const Case& c : cases) {
            FilePtr f = fileStreamOf(before + c.stop + raw({0x42}));
            const Outcome o = readAll(f.get());
            EXPECT_NE(o.report.stop, Ce2Stop::EndOfFile);
            EXPECT_EQ(o.report.offset, static_cast<long>(before.size()));
            const int next =
                c.taken < c.stop.size() ? static_cast<unsigned char>(c.stop[c.taken]) : 0x42;
            EXPECT_EQ(std::fgetc(f.get()), next) << int(c.stop[0]) << " after " << before.size();
        }
    }
}

TEST(Ce2File, RecordsAcrossTheEndOfAReadBlock) {
    // Each record starts from one byte to its full size (and one more) before the end of the
    // stream's first block, so that the block cuts it after every byte; the bytes read from
    // memory must decode to the same elements.
    const std::vector<std::string> records = {
        comment({.sizeClass = 1, .text = std::string(63, 'c')}),
        component({.name = "NAME-OF-15-BYTE", .reference = "REF", .library = "LIBRARY"}),
        header({.sizeIndex = 7, .width = 900, .height = 800}),
        label({.text = "ACROSS"}),
        line(kWire, 0x30, 1, 2, 3, 4),
    };
    for (const std::string& record : records) {
        // Every cut for the longest record; for the others, a cut after the type byte, one in
        // the middle, one before the last byte, and none.
        std::vector<std::size_t> places = {1, 2, record.size() / 2, record.size(),
                                           record.size() + 1};
        if (record.size() == 77) {
            places.clear();
            for (std::size_t before = 1; before <= record.size() + 1; ++before) {
                places.push_back(before);
            }
        }
        for (const std::size_t before : places) {
            const std::string bytes =
                filler(kCe2ReadBlockBytes - before) + record + junction(0x70, 9, 9);
            const Outcome o = readAll(bytes);
            EXPECT_EQ(o.report.stop, Ce2Stop::EndOfFile) << int(record[0]) << " " << before;
            EXPECT_EQ(o.report.offset, static_cast<long>(bytes.size()));
            EXPECT_EQ(o.elements, static_cast<std::size_t>(o.count));
        }
    }
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
