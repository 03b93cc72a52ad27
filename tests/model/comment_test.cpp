#include <gtest/gtest.h>

#include <string>

#include "model/comment.h"
#include "record_io.h"

namespace {

SchComment makeComment(SchPoint at, const char* text, const char* font, int32_t size) {
    SchComment comment;
    comment.setP1(at);
    comment.setText(text);
    comment.setFontName(font);
    comment.setFontSize(size);
    return comment;
}

TEST(SchComment, WritesRecordsAndReadsThemBack) {
    struct Case {
        const char* text;
        const char* font;
        int32_t size;
        bool bold, italic, underline, strikeOut;
        std::string line;
    };
    const Case cases[] = {
        {"abc", "Gothic", 10, true, false, false, false,
         "+COMMENT,L:0,X:120,Y:340,S:abc,FN:Gothic,FS:10,FF:B,-COMMENT\r\n"},
        {"a b", "MS Mincho", 80, false, false, false, false,
         "+COMMENT,L:0,X:120,Y:340,S:a%20b,FN:MS%20Mincho,FS:80,FF:,-COMMENT\r\n"},
        {"x", "", 4, true, true, true, true,
         "+COMMENT,L:0,X:120,Y:340,S:x,FN:,FS:4,FF:BIUS,-COMMENT\r\n"},
        {"x", "F", 12, false, true, false, true,
         "+COMMENT,L:0,X:120,Y:340,S:x,FN:F,FS:12,FF:IS,-COMMENT\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        SchComment comment = makeComment({120, 340}, c.text, c.font, c.size);
        comment.bold = c.bold;
        comment.italic = c.italic;
        comment.underline = c.underline;
        comment.strikeOut = c.strikeOut;
        EXPECT_EQ(writeRecord(comment), c.line);

        SchComment back;
        ASSERT_TRUE(readLine(back, c.line, "+COMMENT"));
        EXPECT_EQ(back.p1, SchPoint(120, 340));
        EXPECT_EQ(back.text, c.text);
        EXPECT_EQ(back.fontName, c.font);
        EXPECT_EQ(back.fontSize, c.size);
        EXPECT_EQ(back.bold, c.bold);
        EXPECT_EQ(back.italic, c.italic);
        EXPECT_EQ(back.underline, c.underline);
        EXPECT_EQ(back.strikeOut, c.strikeOut);
    }
}

TEST(SchComment, OffsetRoundTrip) {
    const SchPoint offset(100, 50);
    SchComment comment;
    ASSERT_TRUE(readBody(comment, "X:10,Y:20,S:t,-COMMENT", &offset));
    EXPECT_EQ(comment.p1, SchPoint(110, 70));
    comment.layer = 2;
    EXPECT_EQ(writeRecord(comment, &offset),
              "+COMMENT,L:2,X:10,Y:20,S:t,FN:,FS:12,FF:,-COMMENT\r\n");
}

TEST(SchComment, StyleLettersOnlySetFlags) {
    struct Case {
        const char* tokens;
        const char* written;  // the FF token written back
    };
    const Case cases[] = {
        {"FF:", "FF:"},
        {"FF:bi", "FF:"},
        {"FF:SB", "FF:BS"},
        {"FF:%00U", "FF:U"},
        {"FF:I%00B", "FF:BI"},
        {"FF:B,FF:I", "FF:BI"},
        {"FF:BxIyUzS", "FF:BIUS"},
        {"FF:B,FF:,FF:u", "FF:B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tokens);
        SchComment comment;
        ASSERT_TRUE(readBody(comment, std::string("X:0,Y:0,S:a,") + c.tokens + ",-COMMENT"));
        const std::string line = writeRecord(comment);
        EXPECT_NE(line.find(std::string(",") + c.written + ",-COMMENT"), std::string::npos) << line;
    }
}

TEST(SchComment, ReadingResetsFontSizeAndStylesOnly) {
    SchComment comment = makeComment({1, 1}, "old", "Face", 30);
    comment.bold = comment.italic = comment.underline = comment.strikeOut = true;
    comment.extentValid = true;
    ASSERT_TRUE(readBody(comment, "X:5,Y:6,S:new,-COMMENT"));
    EXPECT_EQ(comment.fontSize, 12);
    EXPECT_FALSE(comment.bold || comment.italic || comment.underline || comment.strikeOut);
    EXPECT_FALSE(comment.extentValid);
    EXPECT_EQ(comment.fontName, "Face");
    EXPECT_EQ(comment.text, "new");

    // A failed read keeps the reset and whatever it had read.
    SchComment failed = makeComment({1, 1}, "old", "Face", 30);
    EXPECT_FALSE(readBody(failed, "X:5,FS:40,-COMMENT"));
    EXPECT_EQ(failed.p1, SchPoint(5, 1));
    EXPECT_EQ(failed.fontSize, 40);
    EXPECT_EQ(failed.text, "old");
}

TEST(SchComment, FontSizeIsLimited) {
    struct Case {
        const char* value;
        int32_t size;
    };
    const Case cases[] = {{"0", 4},
                          {"2", 4},
                          {"4", 4},
                          {"80", 80},
                          {"81", 80},
                          {"200", 80},
                          {"-99999999999", 4},
                          {"abc", 4},
                          {" 17pt", 17}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        SchComment comment;
        ASSERT_TRUE(readBody(comment, std::string("X:0,Y:0,S:a,FS:") + c.value + ",-COMMENT"));
        EXPECT_EQ(comment.fontSize, c.size);
    }
    SchComment set;
    set.setFontSize(INT32_MAX);
    EXPECT_EQ(set.fontSize, 80);
    set.setFontSize(INT32_MIN);
    EXPECT_EQ(set.fontSize, 4);
}

TEST(SchComment, AreaUsesCachedOrDefaultBox) {
    SchComment comment;
    comment.setP1(SchPoint(0, 0));
    EXPECT_EQ(comment.area(), SchRect(0, -10, 20, 0));
    EXPECT_EQ(comment.extent, SchPoint(20, 10));
    EXPECT_EQ(comment.ascent, 10);
    EXPECT_FALSE(comment.extentValid);
    EXPECT_TRUE(comment.touchesArea(SchRect(500, 500, 600, 600)));
    EXPECT_EQ(comment.areaCrossFlags(SchRect(500, 500, 600, 600)), 0);
    EXPECT_EQ(comment.areaPointFlags(SchRect(20, 0, 30, 5)), 3);
    EXPECT_EQ(comment.hitTest(SchPoint(10, -5)), 0x10000 | 65);
    EXPECT_EQ(comment.hitTest(SchPoint(0, -5)), 0);
    EXPECT_EQ(comment.pointArea(), SchRect(0, 0, 0, 0));

    comment.extent = SchPoint(50, 12);
    comment.ascent = 9;
    comment.extentValid = true;
    EXPECT_EQ(comment.area(), SchRect(0, -9, 50, 3));
    EXPECT_FALSE(comment.touchesArea(SchRect(500, 500, 600, 600)));
    EXPECT_TRUE(comment.touchesArea(SchRect(50, 3, 600, 600)));

    comment.setText("t");  // a setter drops the measured box
    EXPECT_FALSE(comment.extentValid);
    EXPECT_EQ(comment.area(), SchRect(0, -10, 20, 0));

    SchComment corner;
    corner.setP1(SchPoint(INT32_MAX, INT32_MIN));
    EXPECT_EQ(corner.area(), SchRect(INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN));
}

TEST(SchComment, MirroringAndRotation) {
    SchComment comment = makeComment({30, 40}, "abc", "F", 10);
    comment.mirror();
    comment.rotate();
    EXPECT_EQ(comment.p1, SchPoint(30, 40));
    comment.mirrorAt(100);
    EXPECT_EQ(comment.p1, SchPoint(170, 40));
    EXPECT_EQ(comment.area(), SchRect(170, 30, 190, 40));
    comment.rotateAt(SchPoint(0, 0));
    EXPECT_EQ(comment.p1, SchPoint(-40, 170));
}

// The document's history relies on clones carrying every field, the text box cache included.
TEST(SchComment, CloneCopiesEveryField) {
    SchComment original = makeComment({1, 2}, "abc", "F", 33);
    original.italic = true;
    original.extentValid = true;
    original.ascent = 7;
    original.layer = 6;
    const auto copy = original.clone();
    const auto* clone = dynamic_cast<const SchComment*>(copy.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->text, "abc");
    EXPECT_EQ(clone->fontName, "F");
    EXPECT_EQ(clone->fontSize, 33);
    EXPECT_TRUE(clone->italic);
    EXPECT_TRUE(clone->extentValid);
    EXPECT_EQ(clone->ascent, 7);
    EXPECT_EQ(clone->layer, 6);
}

}  // namespace
