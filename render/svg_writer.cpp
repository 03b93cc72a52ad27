#include "render/svg_writer.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <initializer_list>
#include <variant>

#include "platform/shortest_decimal.h"
#include "platform/text.h"
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
        out_ += "\">\n";
        if (hasComponents(drawing)) {
            out_ += "<title>";
            appendXmlEscaped(translated("Components are drawn as their bodies alone: their pins "
                                        "are not known without a library"),
                             out_);
            out_ += "</title>\n";
        }
        out_ += "<defs><clipPath id=\"sheet\"><rect";
        rectAttributes(clipArea(drawing));
        out_ += "/></clipPath></defs>\n<rect class=\"background\"";
        attributes({{"x", left}, {"y", top}, {"width", width}, {"height", height}});
        colourAttribute("fill", kBackgroundColour);
        out_ += "/>\n<rect class=\"sheet\"";
        rectAttributes(drawing.sheet);
        colourAttribute("fill", kSheetColour);
        colourAttribute("stroke", kSheetFrameColour);
        out_ += " stroke-width=\"1\"/>\n";
        ink_ = kInkColour;
        for (const KindLayer& layer : kDrawOrder) {
            out_ += "<g class=\"";
            out_ += layer.className;
            out_ += "\" clip-path=\"url(#sheet)\">\n";
            for (const DrawnElement& element : drawing.elements) {
                if (element.kind == layer.kind && !element.primitives.empty()) {
                    this->element(element);
                }
            }
            out_ += "</g>\n";
        }
        ink_ = kOutsideColour;
        out_ += "<g class=\"left-out\">";
        for (const Primitive& primitive : drawing.leftOutMarks) {
            std::visit([this](const auto& p) { draw(p); }, primitive);
        }
        out_ += "</g>\n";
        ink_ = kInkColour;
        draw(drawing.title);
        out_ += "\n</svg>\n";
    }

  private:
    static bool hasComponents(const Drawing& drawing) {
        return std::any_of(drawing.elements.begin(), drawing.elements.end(),
                           [](const DrawnElement& e) { return e.kind == SchKind::Component; });
    }

    void element(const DrawnElement& element) {
        const bool wrapped = element.primitives.size() != 1;
        if (wrapped) {
            out_ += "<g>";
        }
        for (const Primitive& primitive : element.primitives) {
            std::visit([this](const auto& p) { draw(p); }, primitive);
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
        out_ += '"';
        if (polyline.filled) {
            colourAttribute("fill", ink_);
        } else {
            out_ += " fill=\"none\"";
        }
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
        // Placed, turned and stretched by a transform, which every renderer honours.
        out_ += "<text xml:space=\"preserve\" transform=\"translate(";
        numbers({text.anchor.x, text.anchor.y});
        out_ += text.upward ? ") rotate(-90)" : ")";
        if (const double stretch = fixedTextStretch(text); stretch != 1) {
            out_ += " scale(";
            decimal(stretch);
            out_ += " 1)";
        }
        out_ += '"';
        attributes({{"font-size", text.size}});
        out_ += " font-family=\"";
        if (text.face.empty()) {
            for (const char* face : kFixedFaces) {
                out_ += '\'';
                out_ += face;
                out_ += "', ";
            }
            out_ += kFixedFallbackFace;
        } else {
            fontFamily(text.face);
            out_ += ", sans-serif";
        }
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

    // The shortest form that reads back as the same value.
    void decimal(double v) { appendShortestDecimal(v, out_); }

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
