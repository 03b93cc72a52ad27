#include "render/draw_document.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <memory>
#include <string>

#include "model/comment.h"
#include "model/document.h"
#include "model/label.h"
#include "model/line_element.h"
#include "render/ce3_drawing.h"
#include "render/display_text.h"
#include "render/drawing_bounds.h"
#include "render/page_layout.h"
#include "render/svg_writer.h"
#include "support/temp_dir.h"

namespace {

std::unique_ptr<SchWire> wire(SchPoint a, SchPoint b) {
    auto w = std::make_unique<SchWire>();
    w->p1 = a;
    w->p2 = b;
    return w;
}

// An element is marked as outside by the test with which saving leaves it out.
TEST(DrawDocument, MarksWhatSavingLeavesOut) {
    const struct {
        SchPoint a, b;
        bool outside;
    } cases[] = {
        {{100, 100}, {300, 100}, false},   {{-300, -200}, {-100, -200}, true},
        {{1503, 10}, {1600, 10}, true},     // its pick boxes start at 1501
        {{1502, 10}, {1600, 10}, false},    // its area touches the sheet's right edge at 1500
        {{-100, 500}, {2000, 500}, false},  // crosses the sheet
    };
    SchDocument doc;  // sheet 1500 x 1000
    for (const auto& c : cases) {
        doc.append(wire(c.a, c.b));
    }
    const Drawing drawing = drawDocument(doc);
    EXPECT_EQ(drawing.sheet, SchRect(0, 0, 1500, 1000));
    ASSERT_EQ(drawing.elements.size(), std::size(cases));
    auto e = doc.elements.begin();
    for (std::size_t i = 0; i < std::size(cases); ++i, ++e) {
        EXPECT_EQ(drawing.elements[i].outsideSheet, cases[i].outside) << i;
        EXPECT_EQ(drawing.elements[i].primitives.empty(), cases[i].outside) << i;
        EXPECT_EQ(drawing.elements[i].kind, SchKind::Wire);
        EXPECT_EQ(drawing.elements[i].area, (*e)->area());
    }
}

// An element left out as outside the sheet is counted by the mark of the edge beyond which it
// lies farthest; the title line tells what is written and left out as the conversion's report.
TEST(DrawDocument, MarksTheEdgesBeyondWhichElementsAreLeftOut) {
    const struct {
        SchPoint a, b;
        SheetEdge edge;
    } cases[] = {
        {{-300, 500}, {-100, 500}, SheetEdge::Left},
        {{700, -50}, {800, -50}, SheetEdge::Top},
        {{1600, 10}, {1700, 990}, SheetEdge::Right},
        {{10, 1100}, {20, 1100}, SheetEdge::Bottom},
        {{-300, -200}, {-100, -200}, SheetEdge::Top},   // farther above than to the left
        {{-100, -100}, {-100, -100}, SheetEdge::Left},  // as far beyond two edges: the first
        {{INT32_MIN, INT32_MAX}, {INT32_MIN, INT32_MAX}, SheetEdge::Left},
        {{INT32_MAX, 500}, {INT32_MAX, 500}, SheetEdge::Right},
    };
    SchDocument doc;  // sheet 1500 x 1000
    const SchRect sheet(0, 0, 1500, 1000);
    doc.append(wire({100, 100}, {300, 100}));
    std::array<std::size_t, kSheetEdges> beyond{};
    for (const auto& c : cases) {
        doc.append(wire(c.a, c.b));
        EXPECT_EQ(edgeBeyond(doc.elements.back()->area(), sheet), c.edge) << c.a.x << "," << c.a.y;
        ++beyond[static_cast<std::size_t>(c.edge)];
    }
    auto empty = std::make_unique<SchLabel>();  // a text starting with NUL is written empty
    empty->p1 = {50, 50};
    empty->text = std::string("\0x", 2);
    doc.append(std::move(empty));

    const Drawing drawing = drawDocument(doc);
    EXPECT_EQ(drawing.elements.back().primitives.size(), 0u);
    EXPECT_EQ(displayText(drawing.title.bytes),
              "1 element; 8 elements outside the sheet left out; 1 empty text left out");
    // Per edge with elements beyond it: an arrow whose tip lies beyond that edge, and the count.
    ASSERT_EQ(drawing.leftOutMarks.size(), 2 * kSheetEdges);
    for (std::size_t edge = 0; edge < kSheetEdges; ++edge) {
        const auto& arrow = std::get<PolylinePrimitive>(drawing.leftOutMarks[2 * edge]);
        EXPECT_TRUE(arrow.closed && arrow.filled);
        const SchPoint tip = arrow.points.at(3);
        const int expectedRegion[] = {SchRegion::Left, SchRegion::Above, SchRegion::Right,
                                      SchRegion::Below};
        EXPECT_EQ(regionCode(tip, sheet), expectedRegion[edge]) << edge;
        EXPECT_EQ(std::get<TextPrimitive>(drawing.leftOutMarks[2 * edge + 1]).bytes,
                  std::to_string(beyond[edge]) + " left out");
    }
}

TEST(DrawDocument, LeavesOutTheHistory) {
    SchDocument doc;
    doc.append(wire({0, 0}, {10, 0}));
    doc.append(wire({0, 5}, {10, 5}));
    // The first wire replaced by an edit: deleted, hidden by a mark, and its replacement added.
    auto replacement = wire({0, 0}, {20, 0});
    replacement->link = doc.elements.front().get();
    doc.pending.push_back(std::move(replacement));
    ASSERT_TRUE(doc.commit(false));
    ASSERT_EQ(doc.elements.size(), 4u);

    const Drawing drawing = drawDocument(doc);
    ASSERT_EQ(drawing.elements.size(), 2u);
    EXPECT_EQ(std::get<LinePrimitive>(drawing.elements[0].primitives[0]).to, SchPoint(10, 5));
    EXPECT_EQ(std::get<LinePrimitive>(drawing.elements[1].primitives[0]).to, SchPoint(20, 0));
}

TEST(DrawDocument, BoundsHoldTheSheetAndEverythingDrawn) {
    SchDocument doc;
    doc.append(wire({-300, -200}, {-100, -200}));
    auto comment = std::make_unique<SchComment>();
    comment->setP1({1400, 990});
    comment->setText("0123456789");  // about 80 wide at size 16, beyond the sheet's right edge
    comment->setFontSize(16);
    doc.append(std::move(comment));
    auto bus = std::make_unique<SchBus>();
    bus->p1 = {10, 20};
    bus->p2 = {10, 1100};
    doc.append(std::move(bus));

    const Drawing drawing = drawDocument(doc);
    const SchRect b = drawing.bounds;
    EXPECT_EQ(b.left, 0);  // the wire outside the sheet is not drawn
    EXPECT_EQ(b.top, 0);
    EXPECT_GE(b.right,
              1400 + estimatedAdvance(std::get<TextPrimitive>(drawing.elements[1].primitives[0])));
    EXPECT_GE(b.bottom, 1100 + 2);  // the bus with half its stroke
    EXPECT_LT(b.right, 1500 + 100);
}

}  // namespace

// A .ce3 drawing held in memory is drawn as a file of the same bytes is, also when it is no
// drawing or stops early.
TEST(DrawCe3, BytesAreDrawnAsTheFileOfTheSameBytes) {
    const std::string head = "+TOVR3_DATA_V.1.0\r\n+SHEETINFO,EL:0,VL:0,W:640,H:480,-SHEETINFO\r\n";
    const std::string texts[] = {
        "",
        "hello",
        head +
            "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n+JUNCTION,L:0,X:120,Y:80,-JUNCTION\r\n"
            "+LABEL,L:0,X:300,Y:120,D:1,S:A1,-LABEL\r\n+TAG,L:0,X:40,Y:60,D:1,T:1,S:IN,-TAG\r\n"
            "+COMMENT,L:0,X:120,Y:340,S:abc,FN:Gothic,FS:10,FF:B,-COMMENT\r\n"
            "+COMPONENT,L:0,X:400,Y:400,LIB:74,DIR:0,BLK:0,N:U1,NX:0,NY:0,R:74LS00,RX:0,RY:10,"
            "-COMPONENT\r\n+WIRE,L:0,X1:-900,Y1:-900,X2:-800,Y2:-900,-WIRE\r\n"
            "-TOVR3_DATA_V.1.0\r\n",
        head + "+WIRE,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n+WIRE,X1:1,-WIRE\r\n",
        head + "+BUS,X1",
        // A NUL byte is a byte like any other, not the end of the bytes.
        head + "+WIRE,L:0,X1:10,Y1:10,X2:50,Y2:10,-WIRE\r\n" + std::string(1, '\0') +
            "+WIRE,L:0,X1:10,Y1:20,X2:50,Y2:20,-WIRE\r\n-TOVR3_DATA_V.1.0\r\n",
    };
    TempDir dir;
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        writeBytes(dir / "drawn.ce3", text);
        const Ce3Drawing fromFile = loadCe3Drawing(dir / "drawn.ce3");
        const Ce3Drawing fromBytes = loadCe3DrawingBytes(text);
        EXPECT_EQ(fromBytes.drawn, fromFile.drawn);
        EXPECT_EQ(fromBytes.text, fromFile.text);
        EXPECT_EQ(svgDocument(fromBytes.drawing), svgDocument(fromFile.drawing));
    }
}
