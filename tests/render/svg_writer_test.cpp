#include "render/svg_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/settings.h"
#include "demo/demo_drawing.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/junction.h"
#include "model/label.h"
#include "model/line_element.h"
#include "model/tag.h"
#include "render/display_text.h"
#include "render/draw_document.h"
#include "render/style.h"
#include "xml_tree.h"

namespace {

using namespace std::string_literals;

// The demo drawing as the conversion reads it, with the default comment fonts.
void readDemo(SchDocument& doc) {
    const std::string bytes = demoDrawing();
    FILE* stream = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    ASSERT_NE(stream, nullptr);
    const ConversionOptions options =
        makeConversionOptions(kDefaultLargeFace, std::to_string(kDefaultLargeSize),
                              kDefaultSmallFace, std::to_string(kDefaultSmallSize));
    EXPECT_EQ(readCe2File(stream, doc, options), 14);
    fclose(stream);
}

std::vector<int64_t> numbersIn(const std::string& text) {
    std::istringstream in(text);
    std::vector<int64_t> numbers;
    for (int64_t n = 0; in >> n;) {
        numbers.push_back(n);
    }
    return numbers;
}

// The kind groups by class name, checking that each class appears once.
std::map<std::string, const xmlNode*> kindGroups(const xmlNode* svg) {
    std::map<std::string, const xmlNode*> groups;
    for (const xmlNode* child : childElements(svg)) {
        if (name(child) == "g") {
            EXPECT_TRUE(groups.emplace(attribute(child, "class"), child).second);
        }
    }
    return groups;
}

TEST(SvgWriter, DemoDrawingByStructure) {
    SchDocument doc;
    readDemo(doc);
    const std::string svg = svgDocument(drawDocument(doc));
    const XmlDoc xml = parseXml(svg);
    ASSERT_TRUE(xml) << svg;
    const xmlNode* root = xmlDocGetRootElement(xml.get());
    ASSERT_EQ(name(root), "svg");
    EXPECT_EQ(attribute(root, "xmlns"), "");  // a namespace declaration, not an attribute
    ASSERT_NE(root->ns, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(root->ns->href), "http://www.w3.org/2000/svg");

    // The viewBox: the sheet of 1600 x 1200 with its margin, whatever lies outside the sheet.
    EXPECT_EQ(attribute(root, "viewBox"), "-80 -80 1760 1408");
    const auto children = childElements(root);
    ASSERT_GE(children.size(), 4u);
    EXPECT_EQ(name(children[0]), "title");  // pins are not drawn
    EXPECT_EQ(attribute(children[3], "class"), "sheet");
    EXPECT_EQ(numbersIn(attribute(children[3], "x") + " " + attribute(children[3], "y") + " " +
                        attribute(children[3], "width") + " " + attribute(children[3], "height")),
              (std::vector<int64_t>{0, 0, 1600, 1200}));

    // One child per element drawn in each kind's group, clipped to the sheet; the wire outside
    // the sheet is not drawn but counted by the mark of the edge it lies beyond.
    const auto groups = kindGroups(root);
    const std::map<std::string, std::size_t> counts = {
        {"dash", 1},      {"wire", 2},     {"bus", 1},       {"entry", 1},
        {"bus-entry", 1}, {"junction", 1}, {"component", 1}, {"tag", 1},
        {"label", 2},     {"comment", 2},  {"left-out", 2},  // an arrow and its count
    };
    ASSERT_EQ(groups.size(), counts.size());
    for (const auto& [kind, count] : counts) {
        ASSERT_EQ(groups.count(kind), 1u) << kind;
        EXPECT_EQ(childElements(groups.at(kind)).size(), count) << kind;
        EXPECT_EQ(attribute(groups.at(kind), "clip-path"), kind == "left-out" ? "" : "url(#sheet)");
    }
    EXPECT_EQ(svg.find("textLength"), std::string::npos);
    const auto arrow = descendants(groups.at("left-out"), "polygon");
    ASSERT_EQ(arrow.size(), 1u);
    EXPECT_EQ(attribute(arrow[0], "fill"), "#C62828");
    std::string points = attribute(arrow[0], "points");
    std::replace(points.begin(), points.end(), ',', ' ');
    EXPECT_LT(numbersIn(points).at(1), 0);  // beyond the top edge
    EXPECT_EQ(descendants(groups.at("bus"), "line").size(), 1u);
    EXPECT_EQ(attribute(descendants(groups.at("bus"), "line")[0], "stroke-width"), "3");
    EXPECT_EQ(descendants(groups.at("junction"), "circle").size(), 1u);
    EXPECT_EQ(descendants(groups.at("tag"), "polygon").size(), 1u);
    EXPECT_EQ(descendants(groups.at("component"), "rect").size(), 1u);

    // Every text decoded from CP932, and the comments in their replacement fonts.
    std::multiset<std::string> texts;
    for (const xmlNode* text : descendants(root, "text")) {
        texts.insert(textOf(text));
    }
    EXPECT_EQ(texts, (std::multiset<std::string>{
                         "電源", "VCC", "入力", "RESISTOR", "抵抗", "R1", "回路図の例", "電源は5V",
                         "1 left out", "13 elements; 1 element outside the sheet left out"}));
    const auto comments = descendants(groups.at("comment"), "text");
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(attribute(comments[0], "font-size"), "16");
    EXPECT_EQ(attribute(comments[0], "font-family"), "'ＭＳ Ｐゴシック', sans-serif");
    EXPECT_EQ(attribute(comments[1], "font-size"), "10");
    EXPECT_EQ(attribute(comments[1], "font-family"), "'Verdana', sans-serif");
}

// Texts of every kind full of markup characters, controls and bytes that are no CP932: the SVG
// stays well-formed and shows each text as the display decoding gives it.
TEST(SvgWriter, HostileTextsStayWellFormed) {
    const std::string hostile[] = {
        "<&\"'>]]>",
        "a\x01\x1B"s + '\0' + "\x7F",
        "\x80\xFF\x81",
        "&amp;&#0;&#x1;<!--",
        "<?xml ?><!DOCTYPE x [<!ENTITY e \"x\">]>&e;",
        std::string(3000, '<'),
        std::string(32 * 1024, '&'),
    };
    SchDocument doc;
    for (const std::string& text : hostile) {
        auto label = std::make_unique<SchLabel>();
        label->p1 = {10, 10};
        label->text = text;
        doc.append(std::move(label));
        auto tag = std::make_unique<SchTag>();
        tag->p1 = {10, 30};
        tag->text = text;
        tag->horizontal = false;
        tag->updateEnd();
        doc.append(std::move(tag));
        auto comment = std::make_unique<SchComment>();
        comment->p1 = {10, 50};
        comment->text = text;
        comment->fontName = text + "'\\";
        comment->bold = comment->italic = comment->underline = comment->strikeOut = true;
        doc.append(std::move(comment));
        auto component = std::make_unique<SchComponent>();
        component->p1 = {100, 100};
        component->name = text;
        component->reference = text;
        doc.append(std::move(component));
    }
    const std::string svg = svgDocument(drawDocument(doc));
    const XmlDoc xml = parseXml(svg);
    ASSERT_TRUE(xml);
    auto texts = descendants(xmlDocGetRootElement(xml.get()), "text");
    texts.pop_back();  // the title line
    // Per hostile text: the component's two, the tag's, the label's and the comment's.
    ASSERT_EQ(texts.size(), 5 * std::size(hostile));
    std::multiset<std::string> shown;
    std::multiset<std::string> expected;
    for (const xmlNode* text : texts) {
        shown.insert(textOf(text));
    }
    for (const std::string& text : hostile) {
        for (int i = 0; i < 5; ++i) {
            expected.insert(displayText(text));
        }
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(svg.find('\0'), std::string::npos);
}

// The view box is the page, whatever is drawn: the sheet with its corners in order and a margin
// of 40 page units around it and 24 more below, a page unit being one drawing unit for every
// whole 600 of the sheet's longer side (at least 1), clamped to the 32-bit range.
TEST(SvgWriter, ViewBoxIsThePageWhateverLiesOutside) {
    const struct {
        SchPoint sheet;
        const char* viewBox;
    } cases[] = {
        {{1500, 1000}, "-80 -80 1660 1208"},
        {{1199, 1199}, "-40 -40 1279 1303"},
        {{4743, 2863}, "-280 -280 5303 3591"},
        {{0, 0}, "-40 -40 80 104"},  // a point: the margin alone
        {{-300, -200}, "-340 -240 380 304"},
        {{INT32_MAX, INT32_MAX}, "-143165560 -143165560 2290649207 2290649207"},
        {{INT32_MIN, 5}, "-2147483648 -143165560 2290649208 372230461"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.viewBox);
        // Elements at the ends of the 32-bit range, some on the sheet, some beyond every edge.
        SchDocument doc;
        doc.sheetSize = c.sheet;
        auto w = std::make_unique<SchWire>();
        w->p1 = {INT32_MIN, INT32_MIN};
        w->p2 = {INT32_MAX, INT32_MAX};
        doc.append(std::move(w));
        for (const SchPoint p : {SchPoint(INT32_MAX, INT32_MIN), SchPoint(INT32_MIN, INT32_MAX)}) {
            auto junction = std::make_unique<SchJunction>();
            junction->p1 = p;
            doc.append(std::move(junction));
        }
        auto label = std::make_unique<SchLabel>();
        label->p1 = {INT32_MAX, INT32_MAX};
        label->horizontal = false;
        label->setText(std::string(1000, 'x').c_str());
        doc.append(std::move(label));
        const XmlDoc xml = parseXml(svgDocument(drawDocument(doc)));
        ASSERT_TRUE(xml);
        EXPECT_EQ(attribute(xmlDocGetRootElement(xml.get()), "viewBox"), c.viewBox);
    }
}

// Elements far outside the sheet add only to their count: 100,000 of them weigh as one does.
TEST(SvgWriter, ElementsFarOutsideAddOnlyTheirCount) {
    const auto svgWith = [](int32_t wires) {
        SchDocument doc;
        for (int32_t i = 0; i < wires; ++i) {
            auto distant = std::make_unique<SchWire>();
            distant->p1 = {-40000 - i, -30000};
            distant->p2 = {-39990 - i, -30000};
            doc.append(std::move(distant));
        }
        return svgDocument(drawDocument(doc));
    };
    const std::string one = svgWith(1);
    const std::string many = svgWith(100000);
    ASSERT_TRUE(parseXml(many));
    EXPECT_NE(many.find(">100000 left out<"), std::string::npos);
    EXPECT_LT(many.size() - one.size(), 20u);
}

// Each element adds the same number of bytes however many there are: the size is linear.
TEST(SvgWriter, SizeGrowsLinearlyWithTheElements) {
    const auto sizeWith = [](int labels) {
        SchDocument doc;
        for (int i = 0; i < labels; ++i) {
            auto label = std::make_unique<SchLabel>();
            label->p1 = {100, 100};
            label->text = std::string(100, '&');
            doc.append(std::move(label));
        }
        return svgDocument(drawDocument(doc)).size();
    };
    // Counts of as many digits, so that the title line that counts them keeps its length.
    const std::size_t few = sizeWith(1000);
    const std::size_t some = sizeWith(3000);
    EXPECT_EQ(sizeWith(5000) - some, some - few);
    // A label of 100 bytes takes about 100 escaped entities and its attributes, nothing more.
    EXPECT_LT((some - few) / 2000, 100 * 5 + 300u);
}

}  // namespace
