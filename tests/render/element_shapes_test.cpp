#include "render/element_shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/component.h"
#include "model/entry.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/tag.h"

namespace {

template <typename T>
std::unique_ptr<T> segment(SchPoint a, SchPoint b) {
    auto e = std::make_unique<T>();
    e->p1 = a;
    e->p2 = b;
    return e;
}

SchTag makeTag(SchPoint at, const char* text, bool horizontal, int32_t type) {
    SchTag tag;
    tag.setP1(at);
    tag.horizontal = horizontal;
    tag.tagType = type;
    tag.setText(text);
    return tag;
}

std::vector<SchPoint> sorted(std::vector<SchPoint> points) {
    std::sort(points.begin(), points.end(),
              [](SchPoint a, SchPoint b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return points;
}

const PolylinePrimitive& outlineOf(const std::vector<Primitive>& shapes) {
    return std::get<PolylinePrimitive>(shapes.at(0));
}

TEST(ElementShapes, LinesAndEntriesAreSegmentsInTheirStroke) {
    const struct {
        std::unique_ptr<SchElement> element;
        Stroke stroke;
    } cases[] = {
        {segment<SchWire>({10, 20}, {30, 20}), Stroke::Thin},
        {segment<SchBus>({10, 20}, {10, 90}), Stroke::Thick},
        {segment<SchDash>({-5, 0}, {5, 8}), Stroke::Dashed},
        {segment<SchEntry>({200, 400}, {210, 390}), Stroke::Thin},
        {segment<SchBusEntry>({400, 400}, {390, 390}), Stroke::Thick},
        {segment<SchWire>({7, 7}, {7, 7}), Stroke::Thin},  // zero length
    };
    for (const auto& c : cases) {
        const auto shapes = elementShapes(*c.element);
        ASSERT_EQ(shapes.size(), 1u) << c.element->kind();
        const auto& line = std::get<LinePrimitive>(shapes[0]);
        EXPECT_EQ(line.from, c.element->p1);
        EXPECT_EQ(line.to, c.element->p2);
        EXPECT_EQ(line.stroke, c.stroke);
    }
}

TEST(ElementShapes, JunctionIsADotFillingItsPickBox) {
    SchJunction junction;
    junction.p1 = {300, 100};
    const auto shapes = elementShapes(junction);
    ASSERT_EQ(shapes.size(), 1u);
    const auto& dot = std::get<DotPrimitive>(shapes[0]);
    EXPECT_EQ(dot.centre, SchPoint(300, 100));
    EXPECT_EQ(dot.radius, 3);
}

TEST(ElementShapes, LabelTextFillsItsArea) {
    for (const bool horizontal : {true, false}) {
        SchLabel label;
        label.p1 = {100, 50};
        label.horizontal = horizontal;
        label.setText("VCC");
        const auto shapes = elementShapes(label);
        ASSERT_EQ(shapes.size(), 1u);
        const auto& text = std::get<TextPrimitive>(shapes[0]);
        const SchRect area = label.area();
        EXPECT_EQ(text.anchor, label.p1);
        EXPECT_EQ(text.upward, !horizontal);
        EXPECT_EQ(text.bytes, "VCC");
        EXPECT_EQ(text.face, "");
        // Along the text: the area's length; across it: the area's thickness.
        EXPECT_EQ(text.fitWidth, horizontal ? area.right - area.left : area.bottom - area.top);
        EXPECT_EQ(text.size, horizontal ? area.bottom - area.top : area.right - area.left);
    }
    SchLabel empty;
    empty.p1 = {0, 0};
    EXPECT_TRUE(elementShapes(empty).empty());
}

TEST(ElementShapes, TagOutlinesInTheirFourShapes) {
    const struct {
        bool horizontal;
        int32_t type;
        std::vector<SchPoint> outline;
    } cases[] = {
        // "IN" from (100, 50): horizontal to (130, 50), vertical up to (100, 20).
        {true, 0, {{100, 45}, {130, 45}, {130, 55}, {100, 55}}},
        {true, 1, {{100, 45}, {125, 45}, {130, 50}, {125, 55}, {100, 55}}},
        {true, 2, {{100, 50}, {105, 45}, {130, 45}, {130, 55}, {105, 55}}},
        {true, 3, {{100, 50}, {105, 45}, {125, 45}, {130, 50}, {125, 55}, {105, 55}}},
        {false, 0, {{95, 50}, {95, 20}, {105, 20}, {105, 50}}},
        {false, 1, {{100, 50}, {95, 45}, {95, 20}, {105, 20}, {105, 45}}},
        {false, 2, {{95, 50}, {95, 25}, {100, 20}, {105, 25}, {105, 50}}},
        {false, 3, {{100, 50}, {95, 45}, {95, 25}, {100, 20}, {105, 25}, {105, 45}}},
        {true, 7, {{100, 45}, {130, 45}, {130, 55}, {100, 55}}},  // unknown shapes as a box
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "horizontal " << c.horizontal << " type " << c.type);
        const SchTag tag = makeTag({100, 50}, "IN", c.horizontal, c.type);
        const auto shapes = elementShapes(tag);
        ASSERT_EQ(shapes.size(), 2u);
        const auto& outline = outlineOf(shapes);
        EXPECT_TRUE(outline.closed);
        EXPECT_EQ(outline.points, c.outline);
        const SchRect area = tag.area();
        for (const SchPoint& p : outline.points) {
            EXPECT_EQ(regionCode(p, area), 0) << p.x << "," << p.y;
        }
        // The text's box of 16 x 10 is centred on the tag.
        const auto& text = std::get<TextPrimitive>(shapes[1]);
        EXPECT_EQ(text.anchor, c.horizontal ? SchPoint(107, 54) : SchPoint(104, 43));
        EXPECT_EQ(text.upward, !c.horizontal);
        EXPECT_EQ(text.fitWidth, 16);
    }
    // An empty text leaves the outline alone.
    EXPECT_EQ(elementShapes(makeTag({0, 0}, "", true, 3)).size(), 1u);
}

// Mirroring and turning a tag change its shape code; the outline drawn must move with the tag.
TEST(ElementShapes, TagOutlineFollowsMirrorAndRotation) {
    for (const bool horizontal : {true, false}) {
        for (int32_t type = 0; type <= 3; ++type) {
            SCOPED_TRACE(testing::Message() << "horizontal " << horizontal << " type " << type);
            const SchTag tag = makeTag({100, 50}, "ABCDE", horizontal, type);
            const auto before = outlineOf(elementShapes(tag)).points;

            SchTag mirrored = makeTag({100, 50}, "ABCDE", horizontal, type);
            mirrored.mirrorAt(0);
            std::vector<SchPoint> expected;
            for (const SchPoint& p : before) {
                expected.push_back(SchPoint(-p.x, p.y));
            }
            EXPECT_EQ(sorted(outlineOf(elementShapes(mirrored)).points), sorted(expected));

            SchTag turned = makeTag({100, 50}, "ABCDE", horizontal, type);
            const SchPoint centre(7, -3);
            turned.rotateAt(centre);
            expected.clear();
            for (const SchPoint& p : before) {
                expected.push_back(quarterTurn(p, centre));
            }
            EXPECT_EQ(sorted(outlineOf(elementShapes(turned)).points), sorted(expected));
        }
    }
}

TEST(ElementShapes, ComponentBodyWithNameAndReferenceInTheirBoxes) {
    SchComponent component;
    component.setP1({300, 250});
    component.setName("R1");
    component.setReference("10k");
    component.namePos = {-30, 5};
    const auto shapes = elementShapes(component);
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(std::get<RectPrimitive>(shapes[0]).rect, SchRect(280, 230, 300, 250));
    const auto& name = std::get<TextPrimitive>(shapes[1]);
    EXPECT_EQ(name.bytes, "R1");
    EXPECT_EQ(name.anchor, SchPoint(270, 255));  // the left end of the baseline: p1 + namePos
    EXPECT_EQ(name.fitWidth, 16);
    const auto& reference = std::get<TextPrimitive>(shapes[2]);
    EXPECT_EQ(reference.bytes, "10k");
    EXPECT_EQ(reference.anchor, SchPoint(302, 260));
    EXPECT_EQ(reference.fitWidth, 24);

    SchComponent bare;
    bare.setP1({0, 0});
    EXPECT_EQ(elementShapes(bare).size(), 1u);  // no texts to draw
}

// The part name is centred in the 20 x 20 body when its 8 units a byte fit there, else it stands
// on the body from its left edge.
TEST(ElementShapes, ComponentPartNameInsideItsBodyOrAbove) {
    for (const auto& [part, anchor] : {std::pair{"IC", SchPoint(282, 244)},  // 16 wide: inside
                                       std::pair{"LED", SchPoint(280, 228)}}) {
        SchComponent component;
        component.setP1({300, 250});
        component.setLibraryName(part);
        const auto shapes = elementShapes(component);
        ASSERT_EQ(shapes.size(), 2u);
        EXPECT_EQ(std::get<TextPrimitive>(shapes[1]).bytes, part);
        EXPECT_EQ(std::get<TextPrimitive>(shapes[1]).anchor, anchor) << part;
    }
}

}  // namespace
