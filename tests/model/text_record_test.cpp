#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "model/comment.h"
#include "model/label.h"
#include "model/tag.h"
#include "record_io.h"

namespace {

std::unique_ptr<SchElement> makeElement(int kind) {
    switch (kind) {
        case SchKind::Label:
            return std::make_unique<SchLabel>();
        case SchKind::Tag:
            return std::make_unique<SchTag>();
        default:
            return std::make_unique<SchComment>();
    }
}

struct AcceptCase {
    int kind;
    const char* body;
    std::optional<SchPoint> offset;
    bool ok;
    SchPoint anchor;  // checked when ok
};

// Which record bodies each text element accepts, and where the anchor lands.
TEST(TextRecords, AcceptanceRules) {
    constexpr int L = SchKind::Label;
    constexpr int T = SchKind::Tag;
    constexpr int C = SchKind::Comment;
    const AcceptCase cases[] = {
        {L, "X:1,Y:2,D:1,S:a,-LABEL", {}, true, {1, 2}},
        {L, "S:a,D:0,Y:2,X:1,L:5,Q:1,-LABEL", {}, true, {1, 2}},
        {L, "Y:2,D:1,S:a,-LABEL", {}, false, {}},
        {L, "X:1,D:1,S:a,-LABEL", {}, false, {}},
        {L, "X:1,Y:2,S:a,-LABEL", {}, false, {}},
        {L, "X:1,Y:2,D:1,-LABEL", {}, false, {}},
        {L, "X:1,Y:2,D:,S:a,-LABEL", {}, false, {}},   // empty value ignored
        {L, "X:1,Y:2,D:1,S:,-LABEL", {}, false, {}},   // empty text ignored
        {L, "X:1,Y:2,D:1,-LABEL,S:a", {}, false, {}},  // closer before a required key
        {L, "X:1,Y:2,D:1,S:a,-TAG", {}, false, {}},
        {L, "X:1,Y:2,D:1,S:a,-label", {}, false, {}},
        {L, "x:1,Y:2,D:1,S:a,-LABEL", {}, false, {}},  // keys are case-sensitive
        {L, "X:1,Y:2,D:1,S:a", {}, false, {}},
        {L, ":5,X1,X:1,Y:2,D:1,S:a,-LABEL", {}, true, {1, 2}},
        {L, "X:1,+FOO,X:7,-BAR,-FOO,Y:2,D:1,S:a,-LABEL", {}, true, {1, 2}},
        {L, "X:1,Y:2,D:1,S:a,+FOO,-LABEL", {}, false, {}},  // nested block never closed
        {L, "X:5,Y:5,D:1,S:a,-LABEL", SchPoint{10, 20}, true, {15, 25}},
        {L,
         "X:2147483647,Y:-2147483648,D:1,S:a,-LABEL",
         SchPoint{1, -1},
         true,
         {INT32_MAX, INT32_MIN}},
        {T, "X:1,Y:2,D:1,T:0,S:a,-TAG", {}, true, {1, 2}},
        {T, "X:,Y:,D:,T:,S:,-TAG", {}, true, {0, 0}},  // empty values count
        {T, "X:1,Y:2,D:1,S:a,-TAG", {}, false, {}},
        {T, "X:1,Y:2,T:1,S:a,-TAG", {}, false, {}},
        {T, "X:1,Y:2,D:1,T:1,-TAG", {}, false, {}},
        {T, "X:1,Y:2,D:1,T:1,S:a,-LABEL", {}, false, {}},
        {T, "X:1,Y:2,D:1,T:1,S:a", {}, false, {}},
        {T, "+TAG,X:9,-TAG,X:1,Y:2,D:1,T:1,S:a,-TAG", {}, true, {1, 2}},
        {T, "X:1,Y:2,D:1,T:1,S:a,+X,-TAG", {}, false, {}},
        {T, "X:5,Y:5,D:1,T:1,S:a,-TAG", SchPoint{-10, 20}, true, {-5, 25}},
        {C, "X:1,Y:2,S:a,-COMMENT", {}, true, {1, 2}},
        {C, "S:a,FF:B,FS:9,FN:F,Y:2,X:1,L:3,-COMMENT", {}, true, {1, 2}},
        {C, "Y:2,S:a,-COMMENT", {}, false, {}},
        {C, "X:1,S:a,-COMMENT", {}, false, {}},
        {C, "X:1,Y:2,-COMMENT", {}, false, {}},
        {C, "X:1,Y:2,S:,-COMMENT", {}, false, {}},
        {C, "X:1,Y:,S:a,-COMMENT", {}, false, {}},
        {C, "X:1,Y:2,S:a,-COMMENTS", {}, false, {}},
        {C, "X:1,Y:2,S:a", {}, false, {}},
        {C, "X:1,+FOO,Y:9,-FOO,Y:2,S:a,-COMMENT", {}, true, {1, 2}},
        {C, "X:1,Y:2,S:a,+FOO,-COMMENT", {}, false, {}},
        {C, "X:10,Y:20,S:a,-COMMENT", SchPoint{100, 50}, true, {110, 70}},
    };
    for (const AcceptCase& c : cases) {
        SCOPED_TRACE(c.body);
        std::unique_ptr<SchElement> element = makeElement(c.kind);
        const SchPoint* offset = c.offset ? &*c.offset : nullptr;
        ASSERT_EQ(readBody(*element, c.body, offset), c.ok);
        if (c.ok) {
            EXPECT_EQ(element->p1, c.anchor);
            EXPECT_EQ(element->layer, 0);
        }
    }
}

// Escaped bytes reach the texts; a text ends at its first NUL byte.
TEST(TextRecords, TextsEndAtNul) {
    SchLabel label;
    ASSERT_TRUE(readBody(label, "X:1,Y:2,D:1,S:A%00B,-LABEL"));
    EXPECT_EQ(label.text, "A");
    ASSERT_TRUE(readBody(label, "X:1,Y:2,D:1,S:%00B,-LABEL"));
    EXPECT_EQ(label.text, "");
    EXPECT_FALSE(label.isValid());

    SchTag tag;
    ASSERT_TRUE(readBody(tag, "X:0,Y:0,D:1,T:0,S:abc%00defgh,-TAG"));
    EXPECT_EQ(tag.text, "abc");
    EXPECT_EQ(tag.p2, SchPoint(40, 0));

    SchComment comment;
    ASSERT_TRUE(readBody(comment, "X:1,Y:2,S:a%2Cb%20c%00d,FN:MS%00Mincho,-COMMENT"));
    EXPECT_EQ(comment.text, "a,b c");
    EXPECT_EQ(comment.fontName, "MS");
}

}  // namespace
