#include "kicad/kicad_schematic.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "kicad/kicad_sexpr.h"
#include "kicad/sheet_connections.h"
#include "model/comment.h"
#include "model/component.h"
#include "model/document.h"
#include "model/entry.h"
#include "model/label.h"
#include "model/tag.h"
#include "render/display_text.h"

namespace {

// Room around the sheet, so that nothing lies on KiCad's frame; more below, for its title block.
constexpr int64_t kMargin = 50;
constexpr int64_t kMarginBelow = 150;
// Texts of fixed metrics (labels, tags, a part's fields), 7 units high: about 8 units a byte.
constexpr int64_t kFixedTextSize = 7;
// The prefix of every placeholder symbol's lib_id.
constexpr char kLibrary[] = "MORVEX";

std::string xy(SchPoint p) {
    return kicadNumber(int64_t{p.x} + kMargin) + " " + kicadNumber(int64_t{p.y} + kMargin);
}

std::string font(int64_t size) {
    return "(font (size " + kicadNumber(size) + " " + kicadNumber(size) + "))";
}

const std::string& stroke(std::string_view type = "default") {
    static const std::string kDefault = "(stroke (width 0) (type default) (color 0 0 0 0))";
    static const std::string kDash = "(stroke (width 0) (type dash) (color 0 0 0 0))";
    return type == "dash" ? kDash : kDefault;
}

// A symbol name KiCad reads in a lib_id: no '/', '\\' or ':' (they would split it), not empty.
std::string symbolName(const std::string& part) {
    std::string name = displayText(part);
    for (char& c : name) {
        if (c == '/' || c == '\\' || c == ':') {
            c = '_';
        }
    }
    return name.empty() ? "PART" : name;
}

// An element of the drawing as it is written, with its position among those written.
struct Written {
    const SchElement* element;
    std::size_t index;
};

// Turns between the sheet and a part's own frame. KiCad draws a symbol's point (x, y), y up, at
// the sheet offset mirror(turn((x, -y))), the turn clockwise by the part's quarter turns and the
// mirror left to right; the inverse takes a sheet offset back into the symbol.
class PartFrame {
  public:
    explicit PartFrame(int32_t direction)
        : turns_(direction & 3), mirrored_((direction & 4) != 0) {}

    // The symbol's point for a sheet offset.
    SchPoint toSymbol(int64_t dx, int64_t dy) const {
        if (mirrored_) {
            dx = -dx;
        }
        for (int i = 0; i < turns_; ++i) {  // counter-clockwise on the sheet: (x, y) -> (y, -x)
            const int64_t x = dx;
            dx = dy;
            dy = -x;
        }
        return SchPoint(clamp32(dx), clamp32(-dy));
    }
    // KiCad's angle (counter-clockwise) and mirror for the part's direction.
    std::string placement() const {
        const int angle = (4 - turns_) % 4 * 90;
        return " " + std::to_string(angle) + ")" + (mirrored_ ? " (mirror y)" : "");
    }
    bool upright() const { return turns_ % 2 == 0; }

  private:
    int turns_;
    bool mirrored_;
};

std::string pinAngle(SchPoint symbolDirection) {
    if (symbolDirection.x > 0) {
        return "0";
    }
    if (symbolDirection.y > 0) {
        return "90";
    }
    return symbolDirection.x < 0 ? "180" : "270";
}

// The sheet directions of PlacedPin::toward.
constexpr SchPoint kToward[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};

// A placeholder symbol: its body and its pins in its own frame. Parts with the same name, body
// and pins share one.
struct SymbolShape {
    std::string part;  // the name made of the part's, shared by its variants
    std::string name;  // the symbol's own
    SchPoint bodyCorner1;
    SchPoint bodyCorner2;
    std::vector<std::tuple<int32_t, int32_t, std::string, int64_t>> pins;  // x, y, angle, length

    // What makes two placeholders the same, as one string for looking them up.
    std::string key() const {
        std::string k = part;
        for (const int64_t v : {bodyCorner1.x, bodyCorner1.y, bodyCorner2.x, bodyCorner2.y}) {
            k += '\0' + std::to_string(v);
        }
        for (const auto& [x, y, angle, length] : pins) {
            k += '\0' + std::to_string(x) + ',' + std::to_string(y) + ',' + angle + ',' +
                 std::to_string(length);
        }
        return k;
    }
};

class SchematicWriter {
  public:
    SchematicWriter(const SchDocument& doc, std::string_view name) : doc_(doc), uuid_(name) {}

    KicadSchematic write() {
        collect();
        connections_ = connectSheet(parts_);
        shapeSymbols();
        KicadSchematic out;
        std::string& t = out.text;
        t = "(kicad_sch (version 20211123) (generator morvex)\n\n";
        t += "  (uuid " + uuid_(~uint64_t{0}) + ")\n\n";
        t += "  (paper \"User\" " + kicadNumber(int64_t{doc_.sheetSize.x} + 2 * kMargin) + " " +
             kicadNumber(int64_t{doc_.sheetSize.y} + kMargin + kMarginBelow) + ")\n\n";
        writeLibrary(t);
        for (const Written& w : written_) {
            writeElement(w, t);
        }
        t += "\n  (sheet_instances\n    (path \"/\" (page \"1\"))\n  )\n";
        if (!instances_.empty()) {
            t += "\n  (symbol_instances\n" + instances_ + "  )\n";
        }
        t += ")\n";
        out.summary = connections_.summary;
        return out;
    }

  private:
    void collect() {
        std::size_t index = 0;
        for (const auto& e : doc_.elements) {
            if (!e || e->link != nullptr || e->kind() == SchKind::DeletionMark ||
                doc_.saveFate(*e) != SchDocument::SaveFate::Written) {
                continue;
            }
            written_.push_back({e.get(), index++});
            const SchElement& el = *e;
            const Segment segment{keptNear(el.p1), keptNear(el.getP2())};
            switch (el.kind()) {
                case SchKind::Wire:
                case SchKind::Bus:
                case SchKind::BusEntry:
                    // A bus entry joins the buses it meets, as a wire entry its wire and bus.
                    if (el.kind() == SchKind::BusEntry) {
                        parts_.entries.push_back(segment);
                    }
                    if (segment.a != segment.b) {
                        lineOf_[&el] = parts_.lines.size();
                        parts_.lines.push_back({segment, el.kind() != SchKind::Wire});
                    }
                    break;
                case SchKind::Junction:
                    parts_.junctions.push_back(segment.a);
                    break;
                case SchKind::Entry:
                    parts_.entries.push_back(segment);
                    break;
                case SchKind::Label: {
                    const auto& label = static_cast<const SchLabel&>(el);
                    const SchRect box = label.area();
                    labelOf_[&el] = parts_.labels.size();
                    parts_.labels.push_back(
                        {SchRect(keptNear(box.topLeft()), keptNear(box.bottomRight())), segment.a,
                         displayText(label.text)});
                    break;
                }
                case SchKind::Tag: {
                    const auto& tag = static_cast<const SchTag&>(el);
                    tagOf_[&el] = parts_.tags.size();
                    parts_.tags.push_back(
                        {{keptNear(tag.connectionPoint(0)), keptNear(tag.connectionPoint(1))},
                         displayText(tag.text)});
                    break;
                }
                case SchKind::Component: {
                    const SchRect body = static_cast<const SchComponent&>(el).bodyArea();
                    bodyOf_[&el] = parts_.bodies.size();
                    parts_.bodies.push_back(
                        SchRect(keptNear(body.topLeft()), keptNear(body.bottomRight())));
                    break;
                }
                default:
                    break;
            }
        }
    }

    // Each part's placeholder in its own frame, named after its part; parts whose bodies or pins
    // differ get names of their own, a number added.
    void shapeSymbols() {
        std::set<std::string> taken;
        for (const Written& w : written_) {
            if (w.element->kind() == SchKind::Component) {
                taken.insert(symbolName(static_cast<const SchComponent*>(w.element)->libraryName));
            }
        }
        std::map<std::string, int> variants;
        std::unordered_map<std::string, std::size_t> shapeIndex;
        for (const Written& w : written_) {
            if (w.element->kind() != SchKind::Component) {
                continue;
            }
            const auto& part = static_cast<const SchComponent&>(*w.element);
            const std::size_t b = bodyOf_.at(w.element);
            const SchRect& body = parts_.bodies[b];
            const SchPoint centre = body.centre();
            const PartFrame frame(part.direction);
            SymbolShape shape;
            shape.part = symbolName(part.libraryName);
            shape.name = shape.part;
            shape.bodyCorner1 =
                frame.toSymbol(int64_t{body.left} - centre.x, int64_t{body.top} - centre.y);
            shape.bodyCorner2 =
                frame.toSymbol(int64_t{body.right} - centre.x, int64_t{body.bottom} - centre.y);
            for (const PlacedPin& pin : connections_.pins[b]) {
                const SchPoint at =
                    frame.toSymbol(int64_t{pin.end.x} - centre.x, int64_t{pin.end.y} - centre.y);
                const SchPoint toward = kToward[pin.toward];
                shape.pins.emplace_back(at.x, at.y, pinAngle(frame.toSymbol(toward.x, toward.y)),
                                        pin.length);
            }
            const auto [found, added] = shapeIndex.emplace(shape.key(), shapes_.size());
            symbolOf_[w.element] = found->second;
            if (!added) {
                continue;
            }
            const std::string& base = shape.part;
            int& count = variants[base];
            if (++count > 1) {
                int n = count;
                while (taken.count(base + "_" + std::to_string(n)) != 0) {
                    ++n;
                }
                count = n;
                shape.name = base + "_" + std::to_string(n);
                taken.insert(shape.name);
            }
            shapes_.push_back(std::move(shape));
        }
    }

    void writeLibrary(std::string& t) const {
        if (shapes_.empty()) {
            t += "  (lib_symbols)\n";
            return;
        }
        t += "  (lib_symbols\n";
        for (const SymbolShape& s : shapes_) {
            const std::string id = kicadString(std::string(kLibrary) + ":" + s.name);
            t += "    (symbol " + id +
                 " (pin_numbers hide) (pin_names hide) (in_bom yes) (on_board yes)\n";
            t += "      (property \"Reference\" \"U\" (id 0) (at 0 0 0) (effects " +
                 font(kFixedTextSize) + "))\n";
            t += "      (property \"Value\" " + kicadString(s.name) +
                 " (id 1) (at 0 0 0) (effects " + font(kFixedTextSize) + "))\n";
            t += "      (property \"Footprint\" \"\" (id 2) (at 0 0 0) (effects " +
                 font(kFixedTextSize) + " hide))\n";
            t += "      (property \"Datasheet\" \"\" (id 3) (at 0 0 0) (effects " +
                 font(kFixedTextSize) + " hide))\n";
            t += "      (symbol " + kicadString(s.name + "_0_1") + "\n";
            t += "        (rectangle (start " + kicadNumber(s.bodyCorner1.x) + " " +
                 kicadNumber(s.bodyCorner1.y) + ") (end " + kicadNumber(s.bodyCorner2.x) + " " +
                 kicadNumber(s.bodyCorner2.y) + ")\n";
            t += "          " + stroke() + "\n          (fill (type none))\n        )\n      )\n";
            if (!s.pins.empty()) {
                t += "      (symbol " + kicadString(s.name + "_1_1") + "\n";
                std::size_t number = 0;
                for (const auto& [x, y, angle, length] : s.pins) {
                    t += "        (pin passive line (at " + kicadNumber(x) + " " + kicadNumber(y) +
                         " " + angle + ") (length " + kicadNumber(length) + ")\n";
                    t += "          (name \"~\" (effects " + font(kFixedTextSize) + "))\n";
                    t += "          (number \"" + std::to_string(++number) + "\" (effects " +
                         font(kFixedTextSize) + "))\n        )\n";
                }
                t += "      )\n";
            }
            t += "    )\n";
        }
        t += "  )\n";
    }

    void writeLine(const char* kind, const Segment& s, const std::string& uuid,
                   std::string_view type, std::string& t) const {
        t += std::string("\n  (") + kind + " (pts (xy " + xy(s.a) + ") (xy " + xy(s.b) +
             "))\n    " + stroke(type) + "\n    (uuid " + uuid + ")\n  )\n";
    }

    void writeElement(const Written& w, std::string& t) {
        const SchElement& el = *w.element;
        switch (el.kind()) {
            case SchKind::Wire:
            case SchKind::Bus:
            case SchKind::BusEntry: {
                const auto line = lineOf_.find(&el);
                if (line == lineOf_.end()) {
                    break;
                }
                std::size_t piece = 0;
                for (const Segment& s : connections_.pieces[line->second]) {
                    writeLine(el.kind() == SchKind::Wire ? "wire" : "bus", s,
                              uuid_(w.index, piece++), "default", t);
                }
                break;
            }
            case SchKind::Dash: {
                const Segment s{keptNear(el.p1), keptNear(el.getP2())};
                writeLine("polyline", s, uuid_(w.index), "dash", t);
                break;
            }
            case SchKind::Junction:
                t += "\n  (junction (at " + xy(keptNear(el.p1)) +
                     ") (diameter 0) (color 0 0 0 0)\n    (uuid " + uuid_(w.index) + ")\n  )\n";
                break;
            case SchKind::Entry: {
                const SchPoint a = keptNear(el.p1);
                const SchPoint b = keptNear(el.getP2());
                t += "\n  (bus_entry (at " + xy(a) + ") (size " + kicadNumber(int64_t{b.x} - a.x) +
                     " " + kicadNumber(int64_t{b.y} - a.y) + ")\n    " + stroke() + "\n    (uuid " +
                     uuid_(w.index) + ")\n  )\n";
                break;
            }
            case SchKind::Label:
                writeLabel(static_cast<const SchLabel&>(el), w.index, t);
                break;
            case SchKind::Tag:
                writeTag(static_cast<const SchTag&>(el), w.index, t);
                break;
            case SchKind::Comment:
                writeComment(static_cast<const SchComment&>(el), w.index, t);
                break;
            case SchKind::Component:
                writeComponent(static_cast<const SchComponent&>(el), w.index, t);
                break;
            default:
                break;
        }
    }

    void writeLabel(const SchLabel& label, std::size_t index, std::string& t) const {
        const std::size_t i = labelOf_.at(&label);
        const SchPoint at = connections_.labels[i].value_or(parts_.labels[i].anchor);
        t += "\n  (label " + kicadString(parts_.labels[i].text) + " (at " + xy(at) +
             (label.horizontal ? " 0" : " 90") + ")\n    (effects " + font(kFixedTextSize) +
             " (justify left bottom))\n    (uuid " + uuid_(index) + ")\n  )\n";
    }

    void writeTag(const SchTag& tag, std::size_t index, std::string& t) const {
        static const char* const kShapes[] = {"passive", "input", "output", "bidirectional"};
        const std::size_t i = tagOf_.at(&tag);
        const int end = connections_.tagEnds[i];
        // The body runs from the connected end toward the other: rightward or upward from p1,
        // leftward or downward from p2.
        const char* angle = tag.horizontal ? (end == 0 ? "0" : "180") : (end == 0 ? "90" : "270");
        const char* justify = end == 0 ? "left" : "right";
        const std::size_t shape =
            tag.tagType >= 0 && tag.tagType <= 3 ? static_cast<std::size_t>(tag.tagType) : 0;
        t += "\n  (global_label " + kicadString(parts_.tags[i].text) + " (shape " + kShapes[shape] +
             ") (at " + xy(parts_.tags[i].ends[end]) + " " + angle + ")\n    (effects " +
             font(kFixedTextSize) + " (justify " + justify + "))\n    (uuid " + uuid_(index) +
             ")\n  )\n";
    }

    void writeComment(const SchComment& comment, std::size_t index, std::string& t) const {
        std::string style = "(font (size " + kicadNumber(comment.fontSize) + " " +
                            kicadNumber(comment.fontSize) + ")" + (comment.bold ? " bold" : "") +
                            (comment.italic ? " italic" : "") + ")";
        t += "\n  (text " + kicadString(displayText(comment.text)) + " (at " +
             xy(keptNear(comment.p1)) + " 0)\n    (effects " + style +
             " (justify left bottom))\n    (uuid " + uuid_(index) + ")\n  )\n";
    }

    void writeComponent(const SchComponent& part, std::size_t index, std::string& t) {
        const SymbolShape& shape = shapes_[symbolOf_.at(&part)];
        const std::size_t b = bodyOf_.at(&part);
        const SchPoint centre = parts_.bodies[b].centre();
        const PartFrame frame(part.direction);
        const std::string uuid = uuid_(index);
        const std::string reference = part.reference.empty() ? "U?" : displayText(part.reference);
        const std::string value = displayText(part.name);
        // Fields are placed where the drawing shows them, centred; KiCad turns a field with its
        // part, so a turned part's fields are turned back to read level.
        const std::string level = frame.upright() ? " 0)" : " 90)";
        const auto field = [&](const char* key, int id, const std::string& text, SchPoint at,
                               bool hidden) {
            t += "    (property " + kicadString(key) + " " + kicadString(text) + " (id " +
                 std::to_string(id) + ") (at " + xy(at) + level + "\n      (effects " +
                 font(kFixedTextSize) + (hidden ? " hide" : "") + ")\n    )\n";
        };
        t += "\n  (symbol (lib_id " + kicadString(std::string(kLibrary) + ":" + shape.name) +
             ") (at " + xy(centre) + frame.placement() +
             " (unit 1)\n    (in_bom yes) (on_board yes)\n    (uuid " + uuid + ")\n";
        field("Reference", 0, reference, keptNear(part.referenceBox().centre()),
              part.reference.empty());
        field("Value", 1, value, keptNear(part.nameBox().centre()), part.name.empty());
        field("Footprint", 2, "", centre, true);
        field("Datasheet", 3, "", centre, true);
        field("MORVEX part", 4, displayText(part.libraryName), centre, true);
        for (std::size_t pin = 0; pin < shape.pins.size(); ++pin) {
            t += "    (pin \"" + std::to_string(pin + 1) + "\" (uuid " + uuid_(index, pin + 1) +
                 "))\n";
        }
        t += "  )\n";
        instances_ += "    (path \"/" + uuid + "\"\n      (reference " + kicadString(reference) +
                      ") (unit 1) (value " + kicadString(value) + ") (footprint \"\")\n    )\n";
    }

    const SchDocument& doc_;
    KicadUuids uuid_;
    std::vector<Written> written_;
    SheetParts parts_;
    SheetConnections connections_;
    std::map<const SchElement*, std::size_t> lineOf_;
    std::map<const SchElement*, std::size_t> labelOf_;
    std::map<const SchElement*, std::size_t> tagOf_;
    std::map<const SchElement*, std::size_t> bodyOf_;
    std::map<const SchElement*, std::size_t> symbolOf_;
    std::vector<SymbolShape> shapes_;
    std::string instances_;
};

}  // namespace

KicadSchematic kicadSchematic(const SchDocument& doc, std::string_view name) {
    return SchematicWriter(doc, name).write();
}
