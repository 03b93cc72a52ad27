#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ce2/ce2_read_outcome.h"
#include "ce2/ce2_stream_posix.h"
#include "ce2_builder/ce2_builder.h"

// The CE2 reader on streams that only POSIX systems make here: one whose reads fail, and a pipe.
namespace {

using namespace ce2build;
using namespace ce2test;

TEST(Ce2File, ReadErrorIsNotTheEnd) {
    struct Case {
        std::string bytes;  // delivered before the error
        int count;
        long offset;
        int type;
    };
    const std::vector<Case> cases = {
        {"", 0, 0, -1},
        {kWireRecord + kWireRecord, 2, 20, -1},
        {kWireRecord + kWireRecord.substr(0, 4), 1, 10, kWire},
    };
    for (const Case& c : cases) {
        FailingStream f(c.bytes);
        ASSERT_NE(f.get(), nullptr);
        const Outcome o = readAll(f.get());
        EXPECT_EQ(o.count, c.count) << c.offset;
        EXPECT_EQ(o.report.stop, Ce2Stop::ReadError) << c.offset;
        EXPECT_EQ(o.report.offset, c.offset);
        EXPECT_EQ(o.report.type, c.type);
        EXPECT_EQ(describeCe2Stop(o.report),
                  "reading stopped at byte " + std::to_string(c.offset) + ": read error");
    }
}

TEST(Ce2File, OffsetsCountedOnAPipe) {
    const std::string bytes = header({.sizeIndex = 1}) + comment({.text = "pipe"}) +
                              component({.library = "P"}) + raw({12});
    FilePtr f = pipeStreamOf(bytes);
    ASSERT_TRUE(f);
    const Outcome o = readAll(f.get());
    EXPECT_EQ(o.count, 2);
    EXPECT_EQ(o.sheet, SchPoint(1000, 750));
    EXPECT_EQ(o.report.stop, Ce2Stop::UnknownType);
    EXPECT_EQ(o.report.offset, static_cast<long>(bytes.size() - 1));
    EXPECT_EQ(o.report.type, 12);
}

}  // namespace
