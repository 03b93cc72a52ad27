#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ce2/ce2_reader.h"
#include "ce2/ce2_stream.h"
#include "ce2_builder/ce2_builder.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/entry.h"
#include "model/label.h"
#include "model/sheet_info.h"
#include "model/tag.h"

namespace {

using namespace ce2build;
using namespace ce2test;

// A copy of the single element that reading `bytes` gives, or null: the document that reads it
// builds its elements in memory of its own.
SchElementPtr decodeOne(const std::string& bytes, const ConversionOptions& options = {}) {
    FilePtr f = fileStreamOf(bytes);
    SchDocument doc;
    if (readCe2File(f.get(), doc, options) != 1) {
        return nullptr;
    }
    return doc.elements.front()->clone();
}

template <typename T>
std::unique_ptr<T> decodeAs(const std::string& bytes, const ConversionOptions& options = {}) {
    SchElementPtr e = decodeOne(bytes, options);
    if (!dynamic_cast<T*>(e.get())) {
        return nullptr;
    }
    return std::unique_ptr<T>(static_cast<T*>(e.release()));
}

TEST(Ce2Records, WireFromItsBytes) {
    auto e = decodeOne(raw({0x03, 0x10, 0x0A, 0x00, 0x14, 0x00, 0x64, 0x00, 0x14, 0x00}));
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), SchKind::Wire);
    EXPECT_EQ(e->layer, 1);
    EXPECT_EQ(e->p1, SchPoint(10, 20));
    EXPECT_EQ(e->p2, SchPoint(100, 20));
}

TEST(Ce2Records, LineTypesKeepTheirPointOrder) {
    const std::vector<std::pair<int, int>> cases = {
        {kBus, SchKind::Bus}, {kWire, SchKind::Wire}, {kDash, SchKind::Dash}};
    for (const auto& [type, kind] : cases) {
        auto e = decodeOne(line(type, 0, 300, 40, -5, 7));
        ASSERT_TRUE(e) << type;
        EXPECT_EQ(e->kind(), kind);
        EXPECT_EQ(e->p1, SchPoint(300, 40));
        EXPECT_EQ(e->p2, SchPoint(-5, 7));
    }
    FilePtr f = fileStreamOf(line(kWire, 0, 1, 2, 3, 4).substr(1));
    EXPECT_FALSE(readCe2Line(f.get(), 5));
    EXPECT_EQ(std::fgetc(f.get()), 0) << "a wrong type reads nothing";
}

TEST(Ce2Records, LayerAndInt16Decoding) {
    struct Case {
        std::string bytes;
        int layer;
        SchPoint p;
    };
    const std::vector<Case> cases = {
        {raw({0, 0xF0, 0xFF, 0xFF, 0x00, 0x80}), 7, {-1, -32768}},
        {raw({0, 0x80, 0xFF, 0x7F, 0x00, 0x01}), 0, {32767, 256}},
        {raw({0, 0x3F, 0x01, 0xFF, 0x80, 0x00}), 3, {-255, 128}},
    };
    for (const Case& c : cases) {
        auto e = decodeOne(c.bytes);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), SchKind::Junction);
        EXPECT_EQ(e->layer, c.layer);
        EXPECT_EQ(e->p1, c.p);
    }
}

TEST(Ce2Records, EntryFlagsChooseClassAndSlant) {
    struct Case {
        int flags;
        int kind;
        SchPoint p2;
    };
    const std::vector<Case> cases = {
        {0x02, SchKind::Entry, {110, 190}},    {0x03, SchKind::Entry, {90, 190}},
        {0x00, SchKind::BusEntry, {110, 190}}, {0x01, SchKind::BusEntry, {90, 190}},
        {0x5E, SchKind::Entry, {110, 190}},
    };
    for (const Case& c : cases) {
        auto e = decodeOne(entry(c.flags, 100, 200));
        ASSERT_TRUE(e) << c.flags;
        EXPECT_EQ(e->kind(), c.kind) << c.flags;
        EXPECT_EQ(e->layer, (c.flags >> 4) & 7);
        EXPECT_EQ(e->p1, SchPoint(100, 200));
        EXPECT_EQ(e->p2, c.p2) << c.flags;
    }
}

TEST(Ce2Records, CountedTextIsClampedAndCutAtNul) {
    struct Case {
        std::string field;
        int lengthByte;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"ABCDEFGHIJK", 0xF0, ""},
        {"ABCDEFGHIJK", 20, "ABCDEFGHIJK"},
        {std::string("ABC\0EFG", 7), 7, "ABC"},
        {"ABCDEFG", 5, "ABCDE"},
        {"\x82\xA0\xFF", 3, "\x82\xA0\xFF"},
    };
    for (const Case& c : cases) {
        auto l = decodeAs<SchLabel>(label({.text = c.field, .lengthByte = c.lengthByte}));
        ASSERT_TRUE(l);
        EXPECT_EQ(l->text, c.text) << c.lengthByte;
        auto t = decodeAs<SchTag>(tag({.text = c.field, .lengthByte = c.lengthByte}));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->text, c.text) << c.lengthByte;
    }
}

TEST(Ce2Records, LabelAndTagFlags) {
    auto vertical = decodeAs<SchLabel>(label({.flags = 0x28, .x = 5, .y = 6, .text = "A"}));
    ASSERT_TRUE(vertical);
    EXPECT_FALSE(vertical->horizontal);
    EXPECT_EQ(vertical->layer, 2);
    EXPECT_EQ(vertical->p1, SchPoint(5, 6));
    auto plain = decodeAs<SchLabel>(label({.flags = 0x07, .text = "A"}));
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->horizontal);

    for (int flags : {0x08, 0x0B, 0x1D, 0x06}) {
        auto t = decodeAs<SchTag>(tag({.flags = flags, .x = 100, .y = 50, .text = "IN"}));
        ASSERT_TRUE(t) << flags;
        EXPECT_TRUE(t->horizontal) << flags;
        EXPECT_EQ(t->tagType, flags & 3) << flags;
        EXPECT_EQ(t->layer, (flags >> 4) & 7);
        // The end follows from the text measured from the position already set.
        EXPECT_EQ(t->p1, SchPoint(100, 50));
        EXPECT_EQ(t->p2, SchPoint(130, 50)) << flags;
    }
}

TEST(Ce2Records, ComponentFields) {
    auto c = decodeAs<SchComponent>(component({.flags = 0x40,
                                               .x = 400,
                                               .y = -300,
                                               .direction = 0x0D,
                                               .block = 0xFF,
                                               .name = "U1",
                                               .nameX = -7,
                                               .nameY = 25,
                                               .reference = "74HC00",
                                               .refX = 3,
                                               .refY = -12,
                                               .library = "ABCDEFGHIJKLMNOP"}));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->layer, 4);
    EXPECT_EQ(c->p1, SchPoint(400, -300));
    EXPECT_EQ(c->direction, 5);
    EXPECT_EQ(c->block, -1);
    EXPECT_EQ(c->name, "U1");
    EXPECT_EQ(c->namePos, SchPoint(-7, 25));
    EXPECT_EQ(c->reference, "74HC00");
    EXPECT_EQ(c->refPos, SchPoint(3, -12));
    EXPECT_EQ(c->libraryName, "ABCDEFGHIJKLMNOP");

    auto clamped = decodeAs<SchComponent>(component({.block = 0x7F,
                                                     .name = "NAME-OF-15-BYTE",
                                                     .nameLength = 99,
                                                     .reference = "REF7BYT",
                                                     .referenceLength = 0x80,
                                                     .library = std::string("LIB\0XYZ", 7)}));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->block, 127);
    EXPECT_EQ(clamped->name, "NAME-OF-15-BYTE");
    EXPECT_EQ(clamped->reference, "");
    EXPECT_EQ(clamped->libraryName, "LIB");
}

TEST(Ce2Records, CommentFromItsBytesGetsTheLargeFont) {
    const ConversionOptions options{"Large Face", 24, "Small Face", 12};
    auto c = decodeAs<SchComment>(raw({0x10, 0x00, 0x64, 0x00, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00,
                                       0x11, 0x00, 0x01, 0x03, 0x41, 0x42, 0x43}),
                                  options);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->layer, 0);
    EXPECT_EQ(c->p1, SchPoint(100, 200));
    EXPECT_EQ(c->text, "ABC");
    EXPECT_EQ(c->fontName, "Large Face");
    EXPECT_EQ(c->fontSize, 24);
    EXPECT_FALSE(c->bold || c->italic || c->underline || c->strikeOut);
}

TEST(Ce2Records, CommentFontAndTextLimits) {
    struct Case {
        Comment record;
        ConversionOptions options;
        std::string text;
        std::string face;
        int size;
    };
    const std::vector<Case> cases = {
        {{.sizeClass = 0x01, .text = "x"}, {"L", 200, "S", 10}, "x", "L", 80},
        {{.sizeClass = 0x00, .text = "x"}, {"L", 20, "S", 2}, "x", "S", 4},
        {{.sizeClass = 0x80, .text = "x"}, {"L", 30, "S", 10}, "x", "L", 30},
        {{.text = "ABCDEFGHIJ", .lengthByte = 63, .recordLength = 20},
         {"L", 30, "S", 10},
         "ABCDEF",
         "S",
         10},
        {{.text = std::string(70, 'q'), .lengthByte = 0x7F, .recordLength = 77},
         {},
         std::string(63, 'q'),
         "",
         10},
        {{.text = "ABC", .lengthByte = 0xFF}, {}, "", "", 10},
        {{.recordLength = 14}, {}, "", "", 10},
    };
    for (const Case& c : cases) {
        auto e = decodeAs<SchComment>(comment(c.record), c.options);
        ASSERT_TRUE(e) << c.text;
        EXPECT_EQ(e->text, c.text);
        EXPECT_EQ(e->fontName, c.face);
        EXPECT_EQ(e->fontSize, c.size);
    }
}

TEST(Ce2Records, HeaderSizeAndNumbers) {
    const std::vector<std::pair<int, SchPoint>> cases = {
        {0, {640, 480}},   {1, {1000, 750}}, {2, {1600, 1200}}, {3, {2000, 1500}},
        {4, {3000, 2000}}, {5, {-2, 32767}}, {255, {-2, 32767}}};
    for (const auto& [index, size] : cases) {
        FilePtr f = fileStreamOf(
            header({.sizeIndex = index, .width = -2, .height = 32767, .vl = -3, .el = 300})
                .substr(1));
        auto info = readCe2Header(f.get());
        ASSERT_TRUE(info) << index;
        EXPECT_EQ(info->p1, size) << index;
        EXPECT_EQ(info->selection, -3);
        EXPECT_EQ(info->layer, 300);
        EXPECT_EQ(std::fgetc(f.get()), EOF);
    }
    for (int at = 0; at < 20; ++at) {
        FilePtr f = fileStreamOf(header({.corruptMagicAt = at}).substr(1));
        EXPECT_FALSE(readCe2Header(f.get())) << at;
    }
}

TEST(Ce2Records, EachReaderTakesExactlyItsBody) {
    const ConversionOptions options;
    using Reader = SchElementPtr (*)(FILE*, const ConversionOptions&);
    const std::vector<std::pair<std::string, Reader>> cases = {
        {junction(0, 1, 2), [](FILE* f, const ConversionOptions&) { return readCe2Junction(f); }},
        {entry(2, 1, 2), [](FILE* f, const ConversionOptions&) { return readCe2Entry(f); }},
        {line(kDash, 0, 1, 2, 3, 4),
         [](FILE* f, const ConversionOptions&) { return readCe2Line(f, kDash); }},
        {label({.text = "A"}), [](FILE* f, const ConversionOptions&) { return readCe2Label(f); }},
        {tag({.text = "A"}), [](FILE* f, const ConversionOptions&) { return readCe2Tag(f); }},
        {component({.library = "X"}),
         [](FILE* f, const ConversionOptions&) { return readCe2Component(f); }},
        {comment({.text = "hello"}),
         [](FILE* f, const ConversionOptions& o) { return readCe2Comment(f, o); }},
    };
    for (const auto& [record, reader] : cases) {
        FilePtr f = fileStreamOf(record.substr(1) + "\x5A");
        EXPECT_TRUE(reader(f.get(), options)) << int(record[0]);
        EXPECT_EQ(std::fgetc(f.get()), 0x5A) << int(record[0]);
    }
}

}  // namespace
