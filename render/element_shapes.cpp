#include "render/element_shapes.h"

#include "model/comment.h"
#include "model/component.h"
#include "model/label.h"
#include "model/tag.h"
#include "model/text_metrics.h"

namespace {

// Room between the body of a component and its part name drawn above it.
constexpr int64_t kPartNameGap = 2;

std::vector<Primitive> labelShapes(const SchLabel& label) {
    if (label.text.empty()) {
        return {};
    }
    return {fixedText(label.p1, !label.horizontal, label.text)};
}

// A point of a tag in coordinates along its line (u) and across it (v).
class TagFrame {
  public:
    explicit TagFrame(const SchTag& tag) : horizontal_(tag.horizontal) {
        // The line on which the area lies: y of p1 when horizontal, x of p2 when vertical.
        across_ = horizontal_ ? tag.p1.y : tag.p2.x;
    }
    SchPoint at(int64_t u, int64_t v) const {
        return horizontal_ ? SchPoint(clamp32(u), clamp32(across_ + v))
                           : SchPoint(clamp32(across_ + v), clamp32(u));
    }

  private:
    bool horizontal_;
    int64_t across_ = 0;
};

// Which ends of a tag are pointed. Shapes 1 and 2 swap under a mirror of a horizontal tag and
// under a turn from vertical to horizontal; with shape 1 pointed at the right end of a horizontal
// tag and at the bottom end of a vertical one, the outline mirrors and turns with the tag.
struct PointedEnds {
    bool first;   // the end at p1
    bool second;  // the end at p2
};

PointedEnds pointedEnds(const SchTag& tag) {
    switch (tag.tagType) {
        case 1:
            return {!tag.horizontal, tag.horizontal};
        case 2:
            return {tag.horizontal, !tag.horizontal};
        case 3:
            return {true, true};
        default:
            return {false, false};
    }
}

std::vector<Primitive> tagShapes(const SchTag& tag) {
    const TagFrame frame(tag);
    const SchRect area = tag.area();
    // Half the thickness of the area: from the line to its upper (horizontal) or left edge.
    const int64_t half =
        tag.horizontal ? int64_t{tag.p1.y} - area.top : int64_t{tag.p2.x} - area.left;
    const int64_t a = tag.horizontal ? tag.p1.x : tag.p1.y;
    const int64_t b = tag.horizontal ? tag.p2.x : tag.p2.y;
    const int64_t toward = b >= a ? 1 : -1;  // from the p1 end to the p2 end along u
    const int64_t point = half * toward;     // depth of a pointed end, at 45 degrees
    const PointedEnds pointed = pointedEnds(tag);

    PolylinePrimitive outline;
    outline.closed = true;
    if (pointed.first) {
        outline.points = {frame.at(a, 0), frame.at(a + point, -half)};
    } else {
        outline.points = {frame.at(a, -half)};
    }
    if (pointed.second) {
        outline.points.insert(outline.points.end(), {frame.at(b - point, -half), frame.at(b, 0),
                                                     frame.at(b - point, half)});
    } else {
        outline.points.insert(outline.points.end(), {frame.at(b, -half), frame.at(b, half)});
    }
    outline.points.push_back(pointed.first ? frame.at(a + point, half) : frame.at(a, half));

    std::vector<Primitive> shapes{std::move(outline)};
    if (!tag.text.empty()) {
        const int64_t middle = (a + b) / 2;
        const int64_t halfText = fixedTextWidth(tag.text) / 2;
        // Horizontal text runs to the right from the middle less half its width; vertical text
        // runs upward, so it starts below the middle.
        const SchPoint anchor = tag.horizontal ? frame.at(middle - halfText, kFixedTextCentring)
                                               : frame.at(middle + halfText, kFixedTextCentring);
        shapes.emplace_back(fixedText(anchor, !tag.horizontal, tag.text));
    }
    return shapes;
}

std::vector<Primitive> commentShapes(const SchComment& comment) {
    if (comment.text.empty()) {
        return {};
    }
    TextPrimitive text;
    text.anchor = comment.p1;
    text.bytes = comment.text;
    text.face = comment.fontName;
    text.size = comment.fontSize;
    text.bold = comment.bold;
    text.italic = comment.italic;
    text.underline = comment.underline;
    text.strikeOut = comment.strikeOut;
    return {std::move(text)};
}

// The part name centred in the body when it fits there, else above the body from its left edge.
TextPrimitive partName(const SchRect& body, const std::string& bytes) {
    const int64_t width = fixedTextWidth(bytes);
    if (width <= int64_t{body.right} - body.left &&
        kTextHeight <= int64_t{body.bottom} - body.top) {
        const SchPoint centre = body.centre();
        return fixedText(
            SchPoint(clamp32(centre.x - width / 2), clamp32(centre.y + kFixedTextCentring)), false,
            bytes);
    }
    return fixedText(SchPoint(body.left, clamp32(body.top - kPartNameGap)), false, bytes);
}

std::vector<Primitive> componentShapes(const SchComponent& component) {
    const SchRect body = component.bodyArea();
    std::vector<Primitive> shapes{RectPrimitive{body, Stroke::Thin}};
    if (!component.libraryName.empty()) {
        shapes.emplace_back(partName(body, component.libraryName));
    }
    const auto addText = [&shapes](const SchRect& box, const std::string& bytes) {
        if (!bytes.empty()) {
            shapes.emplace_back(fixedText(SchPoint(box.left, box.bottom), false, bytes));
        }
    };
    addText(component.nameBox(), component.name);
    addText(component.referenceBox(), component.reference);
    return shapes;
}

DotPrimitive junctionDot(const SchElement& junction) {
    // A dot on the junction's point that fills its pick box.
    const SchRect box = junction.area();
    return DotPrimitive{junction.p1, clamp32((int64_t{box.right} - box.left + 1) / 2)};
}

LinePrimitive segment(const SchElement& element, Stroke stroke) {
    return LinePrimitive{element.p1, element.p2, stroke};
}

}  // namespace

TextPrimitive fixedText(SchPoint anchor, bool upward, const std::string& bytes) {
    TextPrimitive text;
    text.anchor = anchor;
    text.upward = upward;
    text.bytes = bytes;
    text.size = static_cast<int32_t>(kTextHeight);
    text.fitWidth = fixedTextWidth(bytes);
    return text;
}

std::vector<Primitive> elementShapes(const SchElement& element) {
    if (const auto* label = dynamic_cast<const SchLabel*>(&element)) {
        return labelShapes(*label);
    }
    if (const auto* tag = dynamic_cast<const SchTag*>(&element)) {
        return tagShapes(*tag);
    }
    if (const auto* comment = dynamic_cast<const SchComment*>(&element)) {
        return commentShapes(*comment);
    }
    if (const auto* component = dynamic_cast<const SchComponent*>(&element)) {
        return componentShapes(*component);
    }
    switch (element.kind()) {
        case SchKind::Wire:
        case SchKind::Entry:
            return {segment(element, Stroke::Thin)};
        case SchKind::Bus:
        case SchKind::BusEntry:
            return {segment(element, Stroke::Thick)};
        case SchKind::Dash:
            return {segment(element, Stroke::Dashed)};
        case SchKind::Junction:
            return {junctionDot(element)};
        default:
            return {};
    }
}
