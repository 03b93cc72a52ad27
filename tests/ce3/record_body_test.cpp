#include "ce3/record_body.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

TEST(RecordBody, ClosesOnlyWithEveryRequiredKey) {
    struct Case {
        const char* body;
        EmptyValue emptyValue;
        bool complete;
        std::string fields;  // key=value, in the order passed on
    };
    const std::vector<Case> cases = {
        {"X:1,Y:2,-R", EmptyValue::Ignore, true, "X=1 Y=2 "},
        {"Y:2,L:0,X:1,X:3,-R", EmptyValue::Ignore, true, "Y=2 L=0 X=1 X=3 "},
        {"X:1,-R", EmptyValue::Ignore, false, "X=1 "},
        {"X:1,Y:2,-Q", EmptyValue::Ignore, false, "X=1 Y=2 "},
        {"X:1,Y:2", EmptyValue::Ignore, false, "X=1 Y=2 "},
        // A field passed over does not count as present.
        {"X:1,Y:,-R", EmptyValue::Ignore, false, "X=1 "},
        {"X:1,Y:,-R", EmptyValue::Accept, true, "X=1 Y= "},
        {"X:1,:Y,Y,-R", EmptyValue::Ignore, false, "X=1 "},
        {"X:1,+SUB,Y:2,-SUB,-R", EmptyValue::Ignore, false, "X=1 "},
        {"X:1,+SUB,Y:2,-SUB,Y:3,-R", EmptyValue::Ignore, true, "X=1 Y=3 "},
        // Keys compare whole and with their case.
        {"XX:1,y:2,Y:a:b,X:,-R", EmptyValue::Accept, true, "XX=1 y=2 Y=a:b X= "},
    };
    for (const Case& c : cases) {
        Ce3Reader reader(c.body);
        std::string fields;
        const bool complete =
            readRecordBody(reader, "-R", c.emptyValue, {"X", "Y"},
                           [&](std::string_view key, std::string_view value) {
                               fields.append(key).append("=").append(value).append(" ");
                           });
        EXPECT_EQ(complete, c.complete) << c.body;
        EXPECT_EQ(fields, c.fields) << c.body;
    }
}

TEST(RecordBody, RequiredKeysMatchWholeKeysOnly) {
    constexpr RequiredKeys keys{"X", "LIB", "X1"};
    EXPECT_EQ(keys.all(), 7u);
    const std::vector<std::pair<std::string_view, unsigned>> cases = {
        {"X", 1},  {"LIB", 2}, {"X1", 4},
        {"x", 0},  {"LI", 0},  {"LIBX", 0},
        {"1X", 0}, {"", 0},    {std::string_view("X\0", 2), 0},
    };
    for (const auto& [key, bits] : cases) {
        EXPECT_EQ(keys.match(key), bits) << key;
    }
}

}  // namespace
