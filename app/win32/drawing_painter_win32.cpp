#include "app/win32/drawing_painter_win32.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "platform/text.h"
#include "render/display_text.h"
#include "render/drawing_bounds.h"
#include "render/style.h"

namespace {

COLORREF colour(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// Pixels far outside the pane are held to this, well within what GDI takes.
constexpr double kPixelLimit = 1 << 26;
// The face of the texts of fixed metrics: ＭＳ ゴシック, which every Japanese system has.
constexpr wchar_t kFixedWindowsFace[] = L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF";
// The largest font height asked of GDI, in pixels.
constexpr double kLargestText = 1 << 14;

int toPixel(double v) {
    return static_cast<int>(std::lround(std::clamp(v, -kPixelLimit, kPixelLimit)));
}

std::wstring visibleText(const std::string& cp932) {
    return widenUtf8(displayText(cp932));
}

// GDI objects selected into a device context for as long as this lives.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected() { SelectObject(dc_, previous_); }

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

class PrimitivePainter {
  public:
    // `visible`: the drawing units that are shown, with room for the widest stroke.
    PrimitivePainter(HDC dc, const PreviewView& view, const ViewRect& visible)
        : dc_(dc), view_(view), visible_(visible) {}
    PrimitivePainter(const PrimitivePainter&) = delete;
    PrimitivePainter& operator=(const PrimitivePainter&) = delete;
    ~PrimitivePainter() {
        for (const auto& [key, pen] : pens_) {
            DeleteObject(pen);
        }
        for (const auto& [rgb, brush] : brushes_) {
            DeleteObject(brush);
        }
    }

    void setInk(uint32_t rgb) { ink_ = rgb; }

    void operator()(const LinePrimitive& line) {
        drawVisiblePart(line.from, line.to, line.stroke == Stroke::Dashed ? kDashOn : 0, kDashOff,
                        strokeWidth(line.stroke), ink_);
    }

    void operator()(const PolylinePrimitive& polyline) {
        std::vector<POINT> points;
        points.reserve(polyline.points.size());
        for (const SchPoint& p : polyline.points) {
            points.push_back(pixel(p));
        }
        const Selected pen(dc_, penFor(polyline.stroke, ink_));
        const Selected brush(dc_, polyline.filled ? brushFor(ink_) : GetStockObject(NULL_BRUSH));
        if (polyline.closed) {
            Polygon(dc_, points.data(), static_cast<int>(points.size()));
        } else {
            Polyline(dc_, points.data(), static_cast<int>(points.size()));
        }
    }

    void operator()(const RectPrimitive& rect) {
        const POINT a = pixel(rect.rect.topLeft());
        const POINT b = pixel(rect.rect.bottomRight());
        const Selected pen(dc_, penFor(rect.stroke, ink_));
        const Selected brush(dc_, GetStockObject(NULL_BRUSH));
        Rectangle(dc_, std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                  std::max(a.y, b.y) + 1);
    }

    void operator()(const DotPrimitive& dot) {
        const POINT c = pixel(dot.centre);
        const int r = std::max(1, toPixel(dot.radius * view_.scale()));
        const Selected pen(dc_, GetStockObject(NULL_PEN));
        const Selected brush(dc_, brushFor(ink_));
        Ellipse(dc_, c.x - r, c.y - r, c.x + r + 1, c.y + r + 1);
    }

    void operator()(const TextPrimitive& text) {
        const double height = text.size * view_.scale();
        if (height < 1) {
            return;  // no glyph would show; a height of 0 would ask for the default size
        }
        LOGFONTW font{};
        font.lfHeight = -static_cast<LONG>(std::lround(std::min(height, kLargestText)));
        font.lfWeight = text.bold ? FW_BOLD : FW_NORMAL;
        font.lfItalic = text.italic ? TRUE : FALSE;
        font.lfUnderline = text.underline ? TRUE : FALSE;
        font.lfStrikeOut = text.strikeOut ? TRUE : FALSE;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = ANTIALIASED_QUALITY;
        // The texts of fixed metrics in the Japanese system's monospaced face, else in any.
        font.lfPitchAndFamily = text.face.empty() ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH;
        const std::wstring face =
            (text.face.empty() ? std::wstring(kFixedWindowsFace) : visibleText(text.face))
                .substr(0, LF_FACESIZE - 1);
        std::copy(face.begin(), face.end(), font.lfFaceName);
        const HFONT handle = CreateFontIndirectW(&font);
        {
            const Selected selected(dc_, handle);
            drawText(text, visibleText(text.bytes));
        }
        DeleteObject(handle);
    }

  private:
    // Draws a line of text in the font selected, from its anchor along its baseline.
    void drawText(const TextPrimitive& text, const std::wstring& shown) {
        const int length = static_cast<int>(std::min<std::size_t>(shown.size(), INT32_MAX));
        // Stretched as the SVG writer stretches it, so that the same face draws the same.
        const double stretch = fixedTextStretch(text);
        const ViewPoint at = view_.toPixels(
            {static_cast<double>(text.anchor.x), static_cast<double>(text.anchor.y)});
        // The baseline runs along x, or upward; the glyphs stand above it, or to its left.
        XFORM place{};
        place.eM11 = text.upward ? 0.0F : static_cast<FLOAT>(stretch);
        place.eM12 = text.upward ? static_cast<FLOAT>(-stretch) : 0.0F;
        place.eM21 = text.upward ? 1.0F : 0.0F;
        place.eM22 = text.upward ? 0.0F : 1.0F;
        place.eDx = static_cast<FLOAT>(std::clamp(at.x, -kPixelLimit, kPixelLimit));
        place.eDy = static_cast<FLOAT>(std::clamp(at.y, -kPixelLimit, kPixelLimit));
        SetWorldTransform(dc_, &place);
        SetTextColor(dc_, colour(ink_));
        SetTextAlign(dc_, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
        SetBkMode(dc_, TRANSPARENT);
        TextOutW(dc_, 0, 0, shown.c_str(), length);
        ModifyWorldTransform(dc_, nullptr, MWT_IDENTITY);
    }

    POINT pixel(SchPoint p) const {
        const ViewPoint at = view_.toPixels({static_cast<double>(p.x), static_cast<double>(p.y)});
        return POINT{toPixel(at.x), toPixel(at.y)};
    }

    // Draws the part of a line that is shown, its dashes where the whole line would have them:
    // a line far longer than the pane would otherwise be dashed along all its length. `on` is 0
    // for a solid line.
    void drawVisiblePart(SchPoint from, SchPoint to, int on, int off, int width, uint32_t rgb) {
        const ViewPoint a{static_cast<double>(from.x), static_cast<double>(from.y)};
        const ViewPoint b{static_cast<double>(to.x), static_cast<double>(to.y)};
        const auto part = segmentPartInside(a, b, visible_);
        if (!part) {
            return;
        }
        double enter = part->first;
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (on > 0 && length > 0) {
            // Back to where a dash begins.
            enter -= std::fmod(enter * length, on + off) / length;
        }
        const ViewPoint start =
            view_.toPixels({a.x + (b.x - a.x) * enter, a.y + (b.y - a.y) * enter});
        const ViewPoint end =
            view_.toPixels({a.x + (b.x - a.x) * part->second, a.y + (b.y - a.y) * part->second});
        const Selected pen(dc_, penFor(width, on, off, rgb));
        MoveToEx(dc_, toPixel(start.x), toPixel(start.y), nullptr);
        LineTo(dc_, toPixel(end.x), toPixel(end.y));
    }

    HPEN penFor(Stroke stroke, uint32_t rgb) {
        return penFor(strokeWidth(stroke), stroke == Stroke::Dashed ? kDashOn : 0, kDashOff, rgb);
    }

    // Widths and dashes are in drawing units; a stroke never gets thinner than one pixel.
    HPEN penFor(int width, int on, int off, uint32_t rgb) {
        const auto key = std::tuple{width, on, off, rgb};
        if (const auto found = pens_.find(key); found != pens_.end()) {
            return found->second;
        }
        const auto pixels = [this](int units) {
            return static_cast<DWORD>(std::max(1, toPixel(units * view_.scale())));
        };
        HPEN pen = nullptr;
        if (on > 0) {
            const LOGBRUSH brush{BS_SOLID, colour(rgb), 0};
            const DWORD dashes[] = {pixels(on), pixels(off)};
            pen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, pixels(width), &brush,
                               2, dashes);
        } else {
            pen = CreatePen(PS_SOLID, static_cast<int>(pixels(width)), colour(rgb));
        }
        pens_.emplace(key, pen);
        return pen;
    }

    HBRUSH brushFor(uint32_t rgb) {
        if (const auto found = brushes_.find(rgb); found != brushes_.end()) {
            return found->second;
        }
        return brushes_.emplace(rgb, CreateSolidBrush(colour(rgb))).first->second;
    }

    HDC dc_;
    const PreviewView& view_;
    ViewRect visible_;
    uint32_t ink_ = kInkColour;
    std::map<std::tuple<int, int, int, uint32_t>, HPEN> pens_;
    std::map<uint32_t, HBRUSH> brushes_;
};

// A rectangle of drawing units in the pane's pixels, held to what GDI takes.
RECT pixelRect(const PreviewView& view, const SchRect& r) {
    const ViewPoint a = view.toPixels({static_cast<double>(std::min(r.left, r.right)),
                                       static_cast<double>(std::min(r.top, r.bottom))});
    const ViewPoint b = view.toPixels({static_cast<double>(std::max(r.left, r.right)),
                                       static_cast<double>(std::max(r.top, r.bottom))});
    return RECT{toPixel(a.x), toPixel(a.y), toPixel(b.x) + 1, toPixel(b.y) + 1};
}

bool intersects(const SchRect& r, const ViewRect& area) {
    return std::max(r.left, r.right) >= area.left && std::min(r.left, r.right) <= area.right &&
           std::max(r.top, r.bottom) >= area.top && std::min(r.top, r.bottom) <= area.bottom;
}

}  // namespace

void paintDrawing(HDC dc, const Drawing& drawing, const RECT& target, const PreviewView& view) {
    const double scale = view.scale();
    if (target.right <= target.left || target.bottom <= target.top || !std::isfinite(scale) ||
        scale <= 0) {
        return;
    }
    const int saved = SaveDC(dc);
    SetGraphicsMode(dc, GM_ADVANCED);
    IntersectClipRect(dc, target.left, target.top, target.right, target.bottom);
    const HBRUSH background = CreateSolidBrush(colour(kBackgroundColour));
    FillRect(dc, &target, background);
    DeleteObject(background);

    // What is shown, in drawing units, with room for the widest stroke.
    const double room = 2 * strokeWidth(Stroke::Thick) + 2 / scale;
    const ViewPoint topLeft =
        view.toDrawing({static_cast<double>(target.left), static_cast<double>(target.top)});
    const ViewPoint bottomRight =
        view.toDrawing({static_cast<double>(target.right), static_cast<double>(target.bottom)});
    const ViewRect visible{topLeft.x - room, topLeft.y - room, bottomRight.x + room,
                           bottomRight.y + room};
    {
        // The sheet, cut to what is shown.
        const SchRect& s = drawing.sheet;
        const ViewPoint a =
            view.toPixels({std::max<double>(std::min(s.left, s.right), visible.left),
                           std::max<double>(std::min(s.top, s.bottom), visible.top)});
        const ViewPoint b =
            view.toPixels({std::min<double>(std::max(s.left, s.right), visible.right),
                           std::min<double>(std::max(s.top, s.bottom), visible.bottom)});
        const HPEN frame = CreatePen(PS_SOLID, 1, colour(kSheetFrameColour));
        const HBRUSH paper = CreateSolidBrush(colour(kSheetColour));
        {
            const Selected pen(dc, frame);
            const Selected brush(dc, paper);
            if (a.x <= b.x && a.y <= b.y) {
                Rectangle(dc, toPixel(a.x), toPixel(a.y), toPixel(b.x) + 1, toPixel(b.y) + 1);
            }
        }
        DeleteObject(frame);
        DeleteObject(paper);
    }

    PrimitivePainter primitives(dc, view, visible);
    // The elements kind by kind, clipped to the sheet, then the marks and the title line in the
    // page's margin.
    const int beforeClip = SaveDC(dc);
    const RECT clip = pixelRect(view, clipArea(drawing));
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    for (const KindLayer& layer : kDrawOrder) {
        for (const DrawnElement& element : drawing.elements) {
            if (element.kind != layer.kind || element.primitives.empty()) {
                continue;
            }
            DrawingBounds extent;
            extent.add(element);
            if (!intersects(extent.rect(), visible)) {
                continue;
            }
            for (const Primitive& primitive : element.primitives) {
                std::visit(primitives, primitive);
            }
        }
    }
    RestoreDC(dc, beforeClip);
    primitives.setInk(kOutsideColour);
    for (const Primitive& primitive : drawing.leftOutMarks) {
        std::visit(primitives, primitive);
    }
    primitives.setInk(kInkColour);
    primitives(drawing.title);
    RestoreDC(dc, saved);
}
