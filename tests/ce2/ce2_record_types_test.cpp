#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ce2/ce2_records.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"

namespace {

using namespace ce2build;
using namespace ce2test;

// The table against the records the builder composes: each type is found, and its reader takes
// exactly the record's body, the fixed size plus what the reader reports as read beyond it.
TEST(Ce2RecordTypes, EveryTypeReadsItsWholeBody) {
    const std::vector<std::string> records = {
        junction(0, 1, 2),
        entry(2, 1, 2),
        line(kBus, 0, 1, 2, 3, 4),
        line(kWire, 0, 1, 2, 3, 4),
        line(kDash, 0, 1, 2, 3, 4),
        label({.text = "A"}),
        tag({.text = "A"}),
        component({.library = "X"}),
        header({}),
        comment({.text = "hello"}),
        comment({.text = std::string(63, 'c')}),
    };
    const ConversionOptions options;
    for (const std::string& record : records) {
        const int type = static_cast<unsigned char>(record[0]);
        const Ce2RecordType* recordType = findCe2RecordType(type);
        ASSERT_NE(recordType, nullptr) << type;
        EXPECT_EQ(recordType->type, type);
        FilePtr f = fileStreamOf(record.substr(1) + "\x5A");
        const Ce2Record r = recordType->read(f.get(), options, nullptr);
        EXPECT_TRUE(r.element || r.header) << type;
        EXPECT_EQ(recordType->bodySize + r.extraBytes, record.size() - 1) << type;
        EXPECT_EQ(std::fgetc(f.get()), 0x5A) << type;
    }
}

TEST(Ce2RecordTypes, OtherTypeBytesNameNoRecord) {
    const std::vector<int> known = {kJunction, kEntry, kBus,       kWire,   kDash,
                                    kLabel,    kTag,   kComponent, kHeader, kComment};
    for (int type = -1; type <= 256; ++type) {
        const bool isKnown = std::find(known.begin(), known.end(), type) != known.end();
        EXPECT_EQ(findCe2RecordType(type) != nullptr, isKnown) << type;
    }
}

}  // namespace
