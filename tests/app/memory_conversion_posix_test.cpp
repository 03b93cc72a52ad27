#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/convert_fixture.h"
#include "app/core/conversion_text.h"
#include "app/core/memory_conversion.h"
#include "model/document.h"

// The conversion of a drawing held in memory against that of a file of the same bytes.
namespace {

using namespace ce2build;

struct NamedDrawing {
    std::string name;
    std::string bytes;
};

std::vector<NamedDrawing> drawings() {
    const std::string head = header({.sizeIndex = 2});
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string everyKind =
        head + junction(0x10, 100, 100) + entry(0x02, 200, 200) + line(kBus, 0, 10, 20, 300, 20) +
        line(kDash, 0, 10, 60, 10, 300) + label({.x = 50, .y = 80, .text = "A1"}) +
        label({.flags = 8, .x = 60, .y = 80, .text = "\x93\xfc\x97\xcd"}) +
        tag({.flags = 1, .x = 70, .y = 90, .text = "IN"}) +
        component({.x = 400, .y = 400, .name = "U1", .reference = "74LS00", .library = "74"}) +
        comment({.x = 120, .y = 340, .sizeClass = 1, .text = "\x95\xe2\x91\xab"}) +
        comment({.x = 120, .y = 360, .text = "small"});
    return {
        {"empty.ce2", ""},
        {"header only.ce2", head},
        {"every kind.CE2", everyKind},
        {"wide sheet.ce2", header({.sizeIndex = 7, .width = 2000, .height = 900}) + everyKind},
        {"unknown type.ce2", twoWires + raw({7, 1, 2, 3})},
        {"cut record.ce2", everyKind.substr(0, everyKind.size() - 7)},
        {"bad magic.ce2", header({.corruptMagicAt = 5}) + twoWires},
        {"outside and empty.ce2", wire(-5000, -5000, -4000, -5000) + twoWires +
                                      label({.x = 20, .y = 20, .text = ""}) +
                                      comment({.text = "x", .recordLength = 13})},
    };
}

TEST_F(Convert, InMemoryConversionMatchesTheFileConversion) {
    for (const NamedDrawing& drawing : drawings()) {
        SCOPED_TRACE(drawing.name);
        const FileReport fromFile = convertOne(source(drawing.name, drawing.bytes));
        const std::string output = makeCe3Path(dir / drawing.name);
        const std::string written =
            std::filesystem::exists(output) ? readBytes(output) : std::string();

        const MemoryConversion inMemory = convertCe2Bytes(drawing.bytes, drawing.name, options);
        EXPECT_EQ(inMemory.report.source, drawing.name);
        EXPECT_EQ(inMemory.report.output, makeCe3Path(drawing.name));
        EXPECT_EQ(inMemory.report.outcome, fromFile.outcome);
        EXPECT_EQ(describeOutcome(inMemory.report), describeOutcome(fromFile));
        EXPECT_EQ(inMemory.report.elementsRead, fromFile.elementsRead);
        EXPECT_EQ(inMemory.report.sourceSize, fromFile.sourceSize);
        EXPECT_EQ(inMemory.ce3, written);
        EXPECT_TRUE(inMemory.svg.empty());
        EXPECT_FALSE(inMemory.report.drawing.has_value());
        EXPECT_TRUE(inMemory.kicad.empty());
        EXPECT_FALSE(inMemory.report.kicad.has_value());
    }
}

// The drawer and the KiCad maker see the converted document and nothing else; what they make is
// kept, the maker's file named as a batch names it, and the line tells of it as a batch's does.
TEST(MemoryConversion, DrawerAndKicadMakerRunOnlyForConvertedDrawings) {
    const auto drawer = [](const SchDocument& doc) {
        return std::to_string(doc.elements.size()) + " elements";
    };
    const KicadMaker kicad = [](const SchDocument& doc, const std::string& name) {
        return KicadSchematic{name + " of " + std::to_string(doc.elements.size()), {3, 1, 0, 0}};
    };
    const ConversionOptions options;
    const MemoryConversion converted = convertCe2Bytes(wire(10, 10, 50, 10) + wire(5, 5, 5, 9),
                                                       "board/two.ce2", options, drawer, {}, kicad);
    EXPECT_EQ(converted.report.outcome, FileOutcome::Converted);
    EXPECT_EQ(converted.svg, "2 elements");
    ASSERT_TRUE(converted.report.drawing.has_value());
    EXPECT_TRUE(converted.report.drawing->ok);
    EXPECT_EQ(converted.kicad, "two.kicad_sch of 2");
    EXPECT_EQ(describeFileLine(converted.report),
              "board/two.ce2 -> board/two.ce3: 2 elements; KiCad: board/two.kicad_sch (3 nets; 1 "
              "label not on a wire)");

    const MemoryConversion one =
        convertCe2Bytes(wire(10, 10, 50, 10), "one.ce2", options, drawer, {}, kicad);
    EXPECT_EQ(one.report.outcome, FileOutcome::TooFewElements);
    EXPECT_TRUE(one.svg.empty());
    EXPECT_TRUE(one.ce3.empty());
    EXPECT_TRUE(one.kicad.empty());
    EXPECT_FALSE(one.report.kicad.has_value());
}

}  // namespace

// An existing output is replaced only when it holds what a conversion writes, as in a batch; the
// report says what else it holds, and where.
TEST(MemoryConversion, ExistingOutputKeptOnlyWhenEdited) {
    const ConversionOptions options;
    const std::string twoWires = wire(10, 10, 50, 10) + wire(5, 5, 5, 9);
    const std::string converted = convertCe2Bytes(twoWires, "x.ce2", options).ce3;
    const std::string edited = converted.substr(0, converted.size() - 19) +
                               "+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n";
    const std::string cut = converted.substr(0, converted.size() - 30);
    const struct {
        std::string existing;
        FileOutcome outcome;
        std::string description;
    } cases[] = {
        {"", FileOutcome::Converted, "2 elements"},
        {converted, FileOutcome::Converted, "2 elements"},
        {edited, FileOutcome::KeepsEditedOutput,
         "x.ce3 holds data MORVEX does not write (saved by the editor?)"},
        {"hello\r\n", FileOutcome::KeepsEditedOutput, "x.ce3 is not a CE3 file"},
        {cut, FileOutcome::KeepsEditedOutput, "x.ce3 ends at line 4 without its closing line"},
        {cut + std::string(30, '\0'), FileOutcome::KeepsEditedOutput, "x.ce3 holds NUL bytes"},
        {"\xEF\xBB\xBF" + converted, FileOutcome::KeepsEditedOutput,
         "x.ce3 starts with a byte order mark"},
        {std::string(converted).insert(converted.find(",-WIRE"), ",C:1"),
         FileOutcome::KeepsEditedOutput, "x.ce3 line 3 holds a field MORVEX does not write"},
    };
    for (const auto& c : cases) {
        const MemoryConversion result = convertCe2Bytes(twoWires, "x.ce2", options, {}, c.existing);
        EXPECT_EQ(result.report.outcome, c.outcome) << c.existing;
        EXPECT_EQ(describeOutcome(result.report), c.description) << c.existing;
        EXPECT_EQ(result.ce3.empty(), c.outcome != FileOutcome::Converted) << c.existing;
        EXPECT_EQ(result.report.elementsWritten, 2) << c.existing;
    }
}
