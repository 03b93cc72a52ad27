#include "render/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <variant>

#include "render/display_text.h"
#include "render/style.h"

namespace {

class SvgWriter {
  public:
    std::string finish() { return std::move(out_); }

    void document(const Drawing& drawing) {
        const SchRect view = viewArea(drawing);
        const int64_t left = view.left;
        const int64_t top = view.top;
        const int64_t width = int64_t{view.right} - view.left;
        const int64_t height = int64_t{view.bottom} - view.top;
        out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" viewBox=\"";
        numbers({left, top, width, height});
        out_ += "\">\n<rect class=\"background\"";
        attributes({{"x", left}, {"y", top}, {"width", width}, {"height", height}});
        colourAttribute("fill", kBackgroundColour);
        out_ += "/>\n<rect class=\"sheet\"";
        rectAttributes(drawing.sheet);
        colourAttribute("fill", kSheetColour);
        colourAttribute("stroke", kSheetFrameColour);
        out_ += " stroke-width=\"1\"/>\n";
        for (const KindLayer& layer : kDrawOrder) {
            out_ += "<g class=\"";
            out_ += layer.className;
            out_ += "\">\n";
            for (const DrawnElement& element : drawing.elements) {
                if (element.kind == layer.kind) {
                    this->element(element);
                }
            }
            out_ += "</g>\n";
        }
        out_ += "</svg>\n";
    }

  private:
    void element(const DrawnElement& element) {
        ink_ = element.outsideSheet ? kOutsideColour : kInkColour;
        const bool wrapped = element.outsideSheet || element.primitives.size() != 1;
        if (element.outsideSheet) {
            out_ += "<g class=\"outside\">";
        } else if (wrapped) {
            out_ += "<g>";
        }
        for (const Primitive& primitive : element.primitives) {
            std::visit([this](const auto& p) { draw(p); }, primitive);
        }
        if (element.outsideSheet) {
            out_ += "<rect class=\"mark\"";
            rectAttributes(markFrame(element.area));
            out_ += " fill=\"none\"";
            colourAttribute("stroke", kOutsideColour);
            out_ += " stroke-width=\"1\" stroke-dasharray=\"";
            numbers({kMarkDashOn, kMarkDashOff});
            out_ += "\"/>";
        }
        if (wrapped) {
            out_ += "</g>";
        }
        out_ += '\n';
    }

    void draw(const LinePrimitive& line) {
        out_ += "<line";
        attributes(
            {{"x1", line.from.x}, {"y1", line.from.y}, {"x2", line.to.x}, {"y2", line.to.y}});
        strokeAttributes(line.stroke);
        out_ += "/>";
    }

    void draw(const PolylinePrimitive& polyline) {
        out_ += polyline.closed ? "<polygon points=\"" : "<polyline points=\"";
        bool first = true;
        for (const SchPoint& p : polyline.points) {
            if (!first) {
                out_ += ' ';
            }
            first = false;
            number(p.x);
            out_ += ',';
            number(p.y);
        }
        out_ += "\" fill=\"none\"";
        strokeAttributes(polyline.stroke);
        out_ += "/>";
    }

    void draw(const RectPrimitive& rect) {
        out_ += "<rect";
        rectAttributes(rect.rect);
        out_ += " fill=\"none\"";
        strokeAttributes(rect.stroke);
        out_ += "/>";
    }

    void draw(const DotPrimitive& dot) {
        out_ += "<circle";
        attributes({{"cx", dot.centre.x}, {"cy", dot.centre.y}, {"r", dot.radius}});
        colourAttribute("fill", ink_);
        out_ += "/>";
    }

    void draw(const TextPrimitive& text) {
        out_ += "<text xml:space=\"preserve\"";
        attributes({{"x", text.anchor.x}, {"y", text.anchor.y}, {"font-size", text.size}});
        out_ += " font-family=\"";
        if (!text.face.empty()) {
            fontFamily(text.face);
            out_ += ", ";
        }
        out_ += text.face.empty() ? kFixedFace : "sans-serif";
        out_ += '"';
        colourAttribute("fill", ink_);
        if (text.bold) {
            out_ += " font-weight=\"bold\"";
        }
        if (text.italic) {
            out_ += " font-style=\"italic\"";
        }
        if (text.underline || text.strikeOut) {
            out_ += " text-decoration=\"";
            out_ += text.underline && text.strikeOut ? "underline line-through"
                    : text.underline                 ? "underline"
                                                     : "line-through";
            out_ += '"';
        }
        if (text.fitWidth > 0) {
            attributes({{"textLength", text.fitWidth}});
            out_ += " lengthAdjust=\"spacingAndGlyphs\"";
        }
        if (text.upward) {
            out_ += " transform=\"rotate(-90 ";
            numbers({text.anchor.x, text.anchor.y});
            out_ += ")\"";
        }
        out_ += '>';
        appendXmlEscaped(displayText(text.bytes), out_);
        out_ += "</text>";
    }

    // A face in CSS quotes; the quote and the backslash, which would end or escape the quoted
    // name, are left out.
    void fontFamily(const std::string& face) {
        std::string name;
        for (const char c : displayText(face)) {
            if (c != '\'' && c != '\\') {
                name += c;
            }
        }
        out_ += '\'';
        appendXmlEscaped(name, out_);
        out_ += '\'';
    }

    void strokeAttributes(Stroke stroke) {
        colourAttribute("stroke", ink_);
        attributes({{"stroke-width", strokeWidth(stroke)}});
        if (stroke == Stroke::Dashed) {
            out_ += " stroke-dasharray=\"";
            numbers({kDashOn, kDashOff});
            out_ += '"';
        }
    }

    // x, y, width and height of a rectangle whose corners may come in either order.
    void rectAttributes(const SchRect& r) {
        const int64_t left = std::min(r.left, r.right);
        const int64_t top = std::min(r.top, r.bottom);
        attributes({{"x", left},
                    {"y", top},
                    {"width", std::max(r.left, r.right) - left},
                    {"height", std::max(r.top, r.bottom) - top}});
    }

    void colourAttribute(const char* name, uint32_t colour) {
        char text[8];
        std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(colour & 0xFFFFFF));
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        out_ += text;
        out_ += '"';
    }

    struct Attribute {
        const char* name;
        int64_t value;
    };

    void attributes(std::initializer_list<Attribute> list) {
        for (const Attribute& a : list) {
            out_ += ' ';
            out_ += a.name;
            out_ += "=\"";
            number(a.value);
            out_ += '"';
        }
    }

    void numbers(std::initializer_list<int64_t> list) {
        bool first = true;
        for (const int64_t v : list) {
            if (!first) {
                out_ += ' ';
            }
            first = false;
            number(v);
        }
    }

    void number(int64_t v) {
        char text[24];
        const auto result = std::to_chars(text, text + sizeof text, v);
        out_.append(text, result.ptr);
    }

    std::string out_;
    uint32_t ink_ = kInkColour;
};

}  // namespace

void appendXmlEscaped(const std::string& text, std::string& out) {
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
}

std::string svgDocument(const Drawing& drawing) {
    SvgWriter writer;
    writer.document(drawing);
    return writer.finish();
}
