#include "kicad/kicad_schematic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "kicad/kicad_sexpr.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/tag.h"

namespace {

template <typename T>
std::unique_ptr<T> line(SchPoint a, SchPoint b) {
    auto e = std::make_unique<T>();
    e->p1 = a;
    e->p2 = b;
    return e;
}

std::unique_ptr<SchLabel> label(SchPoint at, const char* text, bool horizontal = true) {
    auto e = std::make_unique<SchLabel>();
    e->p1 = at;
    e->horizontal = horizontal;
    e->setText(text);
    return e;
}

std::unique_ptr<SchTag> tag(SchPoint at, const char* text, bool horizontal, int32_t type) {
    auto e = std::make_unique<SchTag>();
    e->p1 = at;
    e->horizontal = horizontal;
    e->tagType = type;
    e->setText(text);
    return e;
}

std::unique_ptr<SchComponent> part(SchPoint at, int32_t direction, const char* library = "RES",
                                   const char* reference = "R1") {
    auto e = std::make_unique<SchComponent>();
    e->p1 = at;
    e->setDirection(direction);
    e->setLibraryName(library);
    e->setReference(reference);
    e->setName("10k");
    return e;
}

std::unique_ptr<SchJunction> junction(SchPoint at) {
    auto e = std::make_unique<SchJunction>();
    e->p1 = at;
    return e;
}

constexpr std::string_view kUuid = "(uuid ";
constexpr std::size_t kUuidLength = 36;

// The file without its UUIDs (and the blanks before them), each run of blanks that holds a line
// break made one space, for comparing fragments.
std::string withoutUuids(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, kUuid.size(), kUuid) == 0) {
            out.erase(out.find_last_not_of(" \n") + 1);
            i += kUuid.size() + kUuidLength + 1;  // and its ')'
            continue;
        }
        const std::size_t blanks = std::min(text.find_first_not_of(" \n", i), text.size());
        if (blanks == i) {
            out += text[i++];
            continue;
        }
        const bool lineBreak = text.find('\n', i) < blanks;
        out += lineBreak ? std::string(" ") : text.substr(i, blanks - i);
        i = blanks;
    }
    return out;
}

// Each UUID of the file, in order.
std::vector<std::string> uuidsOf(const std::string& text) {
    std::vector<std::string> uuids;
    for (std::size_t at = text.find(kUuid); at != std::string::npos;
         at = text.find(kUuid, at + 1)) {
        uuids.push_back(text.substr(at + kUuid.size(), kUuidLength));
    }
    return uuids;
}

// Each kind of element as KiCad 6 reads it, 50 units of margin added to every coordinate.
TEST(KicadSchematic, WritesEachKindOfElement) {
    std::unique_ptr<SchElement> (*const makers[])() = {
        [] {
            return std::unique_ptr<SchElement>(line<SchWire>({100, 100}, {300, 100}));
        },
        [] {
            return std::unique_ptr<SchElement>(line<SchBus>({100, 400}, {100, 200}));
        },
        [] {
            return std::unique_ptr<SchElement>(line<SchDash>({0, 5}, {10, 15}));
        },
        [] {
            return std::unique_ptr<SchElement>(junction({300, 100}));
        },
        [] {
            return std::unique_ptr<SchElement>(line<SchEntry>({200, 400}, {210, 390}));
        },
        [] {
            return std::unique_ptr<SchElement>(line<SchBusEntry>({400, 400}, {390, 390}));
        },
        [] {
            return std::unique_ptr<SchElement>(label({10, 10}, "A\\\"B"));
        },
        [] {
            return std::unique_ptr<SchElement>(label({10, 100}, "UP", false));
        },
        [] {
            return std::unique_ptr<SchElement>(tag({40, 95}, "IN", true, 1));
        },
        [] {
            return std::unique_ptr<SchElement>(tag({40, 95}, "P", false, 0));
        },
        [] {
            auto c = std::make_unique<SchComment>();
            c->p1 = {100, 500};
            c->setText("Note");
            c->setFontName("Verdana");
            c->setFontSize(16);
            c->bold = true;
            c->italic = true;
            return std::unique_ptr<SchElement>(std::move(c));
        },
    };
    const char* const expected[] = {
        "(wire (pts (xy 38.1 38.1) (xy 88.9 38.1)) (stroke (width 0) (type default) (color 0 0 0 "
        "0)) )",
        "(bus (pts (xy 38.1 114.3) (xy 38.1 63.5)) (stroke (width 0) (type default) (color 0 0 0 "
        "0)) )",
        "(polyline (pts (xy 12.7 13.97) (xy 15.24 16.51)) (stroke (width 0) (type dash) (color 0 0 "
        "0 0)) )",
        "(junction (at 88.9 38.1) (diameter 0) (color 0 0 0 0) )",
        "(bus_entry (at 63.5 114.3) (size 2.54 -2.54) (stroke (width 0) (type default) (color 0 0 "
        "0 0)) )",
        "(bus (pts (xy 114.3 114.3) (xy 111.76 111.76)) (stroke (width 0) (type default) (color 0 "
        "0 0 0)) )",
        R"((label "A\\\"B" (at 15.24 15.24 0) (effects (font (size 1.778 1.778)) (justify left bottom)) ))",
        R"((label "UP" (at 15.24 38.1 90) (effects (font (size 1.778 1.778)) (justify left bottom)) ))",
        R"((global_label "IN" (shape input) (at 22.86 36.83 0) (effects (font (size 1.778 1.778)) (justify left)) ))",
        R"((global_label "P" (shape passive) (at 22.86 36.83 90) (effects (font (size 1.778 1.778)) (justify left)) ))",
        R"((text "Note" (at 38.1 139.7 0) (effects (font (size 4.064 4.064) bold italic) (justify left bottom)) ))",
    };
    static_assert(std::size(makers) == std::size(expected));
    for (std::size_t i = 0; i < std::size(makers); ++i) {
        SchDocument doc;
        doc.sheetSize = {1600, 1200};
        doc.append(makers[i]());
        const std::string text = withoutUuids(kicadSchematic(doc, "x.kicad_sch").text);
        EXPECT_NE(text.find(expected[i]), std::string::npos) << i << ": " << text;
        EXPECT_EQ(text.find("face"), std::string::npos) << i;
    }
}

// A part in each of its eight directions, with a wire ending at the left side of its body as
// drawn: the symbol turns and mirrors as the part does, and its pin, in the symbol's own frame
// (y up), comes out where the wire ends.
TEST(KicadSchematic, PlacesPartsAndTheirPinsInEachDirection) {
    const struct {
        const char* placement;
        const char* pin;
    } cases[] = {
        {"(at 35.56 35.56 0) (unit 1)", "(at -2.54 1.27 0) (length 0)"},
        {"(at 35.56 35.56 270) (unit 1)", "(at -1.27 -2.54 90) (length 0)"},
        {"(at 35.56 35.56 180) (unit 1)", "(at 2.54 -1.27 180) (length 0)"},
        {"(at 35.56 35.56 90) (unit 1)", "(at 1.27 2.54 270) (length 0)"},
        {"(at 35.56 35.56 0) (mirror y) (unit 1)", "(at 2.54 1.27 180) (length 0)"},
        {"(at 35.56 35.56 270) (mirror y) (unit 1)", "(at -1.27 2.54 270) (length 0)"},
        {"(at 35.56 35.56 180) (mirror y) (unit 1)", "(at -2.54 -1.27 0) (length 0)"},
        {"(at 35.56 35.56 90) (mirror y) (unit 1)", "(at 1.27 -2.54 90) (length 0)"},
    };
    for (int32_t direction = 0; direction < 8; ++direction) {
        SchDocument doc;
        doc.append(part({100, 100}, direction));  // body (80, 80)..(100, 100), centre (90, 90)
        doc.append(line<SchWire>({60, 85}, {80, 85}));
        const KicadSchematic k = kicadSchematic(doc, "x.kicad_sch");
        const std::string text = withoutUuids(k.text);
        const auto& c = cases[direction];
        EXPECT_NE(text.find(std::string("(symbol (lib_id \"MORVEX:RES\") ") + c.placement),
                  std::string::npos)
            << direction << ": " << text;
        EXPECT_NE(text.find(std::string("(pin passive line ") + c.pin), std::string::npos)
            << direction << ": " << text;
        EXPECT_EQ(k.summary.partsWithPlacedPins, 1u);
        EXPECT_EQ(k.summary.nets, 1u);
    }
}

// What KiCad will not show as drawn, counted: labels moved onto their wires or not, T-joins, and
// nets as KiCad lists them (those that reach a pin).
TEST(KicadSchematic, CountsWhatKicadShowsDifferently) {
    const struct {
        const char* name;
        std::unique_ptr<SchElement> (*build)(SchDocument&);
        KicadSummary expected;
        const char* fragment;  // "" or a piece the file must hold
    } cases[] = {
        {"label 5 above its wire moves onto it",
         [](SchDocument& d) {
             d.append(line<SchWire>({100, 100}, {300, 100}));
             return std::unique_ptr<SchElement>(label({150, 95}, "N"));
         },
         {0, 0, 0, 0},
         "(label \"N\" (at 50.8 38.1 0)"},
        {"label 11 above stays and is counted",
         [](SchDocument& d) {
             d.append(line<SchWire>({100, 100}, {300, 100}));
             return std::unique_ptr<SchElement>(label({150, 79}, "N"));
         },
         {0, 1, 0, 0},
         "(label \"N\" (at 50.8 32.766 0)"},
        {"label never lands on a crossing: moved along its wire",
         [](SchDocument& d) {
             d.append(line<SchWire>({100, 100}, {300, 100}));
             d.append(line<SchWire>({150, 100}, {150, 150}));
             return std::unique_ptr<SchElement>(label({150, 95}, "N"));
         },
         {0, 0, 0, 1},
         "(label \"N\" (at 52.07 38.1 0)"},
        {"T-join without a junction",
         [](SchDocument& d) {
             d.append(line<SchWire>({100, 100}, {300, 100}));
             return std::unique_ptr<SchElement>(line<SchWire>({200, 100}, {200, 200}));
         },
         {0, 0, 0, 1},
         ""},
        {"T-join with a junction splits the wire",
         [](SchDocument& d) {
             d.append(line<SchWire>({100, 100}, {300, 100}));
             d.append(line<SchWire>({200, 100}, {200, 200}));
             return std::unique_ptr<SchElement>(junction({200, 100}));
         },
         {0, 0, 0, 0},
         "(wire (pts (xy 63.5 38.1) (xy 88.9 38.1))"},
        {"two parts on one wire: one net",
         [](SchDocument& d) {
             d.append(part({100, 100}, 0, "RES", "R1"));
             d.append(part({200, 100}, 0, "RES", "R2"));
             return std::unique_ptr<SchElement>(line<SchWire>({100, 90}, {180, 90}));
         },
         {1, 0, 2, 0},
         ""},
        {"labels of one text join two wires",
         [](SchDocument& d) {
             d.append(part({100, 100}, 0, "RES", "R1"));
             d.append(line<SchWire>({100, 90}, {150, 90}));
             d.append(label({150, 90}, "X"));
             d.append(part({100, 300}, 0, "RES", "R2"));
             d.append(line<SchWire>({100, 290}, {150, 290}));
             return std::unique_ptr<SchElement>(label({150, 290}, "X"));
         },
         {1, 0, 2, 0},
         ""},
        {"tags of one text join two wires; a bus gives no pin",
         [](SchDocument& d) {
             d.append(part({100, 100}, 0, "RES", "R1"));
             d.append(line<SchWire>({100, 90}, {150, 90}));
             d.append(tag({150, 90}, "T", true, 0));
             d.append(part({100, 300}, 0, "RES", "R2"));
             d.append(line<SchWire>({100, 290}, {150, 290}));
             d.append(tag({150, 290}, "T", false, 0));
             d.append(part({100, 500}, 0, "RES", "R3"));
             return std::unique_ptr<SchElement>(line<SchBus>({100, 490}, {150, 490}));
         },
         {1, 0, 2, 0},
         ""},
        {"parts whose pins differ get symbols of their own",
         [](SchDocument& d) {
             d.append(part({100, 100}, 0, "A/B", "R1"));
             d.append(line<SchWire>({100, 90}, {150, 90}));
             d.append(part({100, 300}, 0, "A/B", "R2"));
             return std::unique_ptr<SchElement>(line<SchWire>({50, 290}, {80, 290}));
         },
         {2, 0, 2, 0},
         "(symbol \"MORVEX:A_B_2\""},
    };
    for (const auto& c : cases) {
        SchDocument doc;
        doc.append(c.build(doc));
        const KicadSchematic k = kicadSchematic(doc, "x.kicad_sch");
        EXPECT_EQ(k.summary.nets, c.expected.nets) << c.name;
        EXPECT_EQ(k.summary.labelsNotOnWire, c.expected.labelsNotOnWire) << c.name;
        EXPECT_EQ(k.summary.partsWithPlacedPins, c.expected.partsWithPlacedPins) << c.name;
        EXPECT_EQ(k.summary.tJoinsWithoutJunction, c.expected.tJoinsWithoutJunction) << c.name;
        EXPECT_NE(withoutUuids(k.text).find(c.fragment), std::string::npos)
            << c.name << ": " << withoutUuids(k.text);
    }
}

// Lines that cross the sheet from the ends of the 32-bit range are written within KiCad's reach,
// and their crossing, a label on one and a part beside them are found in wide arithmetic.
TEST(KicadSchematic, LinesFromTheEndsOfTheRangeAreKeptNear) {
    SchDocument doc;
    doc.append(line<SchWire>({INT32_MIN, 500}, {INT32_MAX, 500}));
    doc.append(line<SchWire>({700, INT32_MIN}, {700, INT32_MAX}));
    doc.append(junction({700, 500}));
    doc.append(label({650, 495}, "NEAR"));
    doc.append(line<SchBus>({INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}));
    doc.append(part({720, 520}, 5));
    const KicadSchematic k = kicadSchematic(doc, "x.kicad_sch");
    const std::string text = withoutUuids(k.text);
    EXPECT_NE(text.find("(wire (pts (xy -126987.3 139.7) (xy 177.8 139.7))"), std::string::npos)
        << text;
    EXPECT_NE(text.find("(wire (pts (xy 190.5 139.7) (xy 127012.7 139.7))"), std::string::npos);
    EXPECT_NE(text.find("(bus (pts (xy -126987.3 -126987.3) (xy 127012.7 127012.7))"),
              std::string::npos);
    EXPECT_EQ(k.summary.tJoinsWithoutJunction, 0u);
    EXPECT_EQ(k.summary.partsWithPlacedPins, 0u);
    EXPECT_NE(text.find("(label \"NEAR\" (at 177.8 139.7 0)"), std::string::npos);
}

// The same drawing under the same name gives the same bytes; every UUID in a file is its own.
TEST(KicadSchematic, UuidsFollowFromTheNameAndAreUnique) {
    SchDocument doc;
    doc.append(part({100, 100}, 0));
    doc.append(line<SchWire>({100, 90}, {300, 90}));
    doc.append(junction({200, 90}));
    doc.append(line<SchWire>({200, 90}, {200, 200}));
    const std::string first = kicadSchematic(doc, "x.kicad_sch").text;
    EXPECT_EQ(kicadSchematic(doc, "x.kicad_sch").text, first);
    EXPECT_NE(kicadSchematic(doc, "y.kicad_sch").text, first);
    std::set<std::string> seen;
    for (const std::string& uuid : uuidsOf(first)) {
        EXPECT_EQ(uuid.find_first_not_of("0123456789abcdef-"), std::string::npos) << uuid;
        EXPECT_TRUE(seen.insert(uuid).second) << uuid;
    }
    EXPECT_GE(seen.size(), 6u);  // sheet, part, pin, three wire pieces, junction
}

TEST(KicadSexpr, NumbersAndStrings) {
    const struct {
        int64_t units;
        const char* mm;
    } numbers[] = {{0, "0"},    {10, "2.54"},       {100, "25.4"},         {-1, "-0.254"},
                   {5, "1.27"}, {500000, "127000"}, {-500050, "-127012.7"}};
    for (const auto& n : numbers) {
        EXPECT_EQ(kicadNumber(n.units), n.mm) << n.units;
    }
    EXPECT_EQ(kicadString("a\\b\"c\nd"), R"("a\\b\"c\nd")");
}

}  // namespace
