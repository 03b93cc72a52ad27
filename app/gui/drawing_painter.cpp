#include "app/gui/drawing_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <variant>

#include "render/display_text.h"
#include "render/drawing_bounds.h"
#include "render/style.h"

namespace {

QColor colour(uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

QPointF point(SchPoint p) {
    return QPointF(p.x, p.y);
}

QRectF rectF(const SchRect& r) {
    return QRectF(point(r.topLeft()), point(r.bottomRight())).normalized();
}

QString visibleText(const std::string& cp932) {
    return QString::fromStdString(displayText(cp932));
}

class PrimitivePainter {
  public:
    // `visible`: the drawing units that are shown, with room for the widest stroke.
    PrimitivePainter(QPainter& painter, double scale, const QRectF& visible)
        : painter_(painter), scale_(scale), visible_(visible) {}

    void setInk(uint32_t rgb) { ink_ = colour(rgb); }

    void operator()(const LinePrimitive& line) {
        QPen linePen = pen(line.stroke);
        drawVisiblePart(point(line.from), point(line.to), linePen);
    }

    void operator()(const PolylinePrimitive& polyline) {
        QPolygonF polygon;
        polygon.reserve(static_cast<qsizetype>(polyline.points.size()));
        for (const SchPoint& p : polyline.points) {
            polygon.append(point(p));
        }
        painter_.setPen(pen(polyline.stroke));
        painter_.setBrush(polyline.filled ? QBrush(ink_) : QBrush(Qt::NoBrush));
        if (polyline.closed) {
            painter_.drawPolygon(polygon);
        } else {
            painter_.drawPolyline(polygon);
        }
    }

    void operator()(const RectPrimitive& rect) {
        painter_.setPen(pen(rect.stroke));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(rectF(rect.rect));
    }

    void operator()(const DotPrimitive& dot) {
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(ink_);
        painter_.drawEllipse(point(dot.centre), dot.radius, dot.radius);
    }

    void operator()(const TextPrimitive& text) {
        const QString shown = visibleText(text.bytes);
        QFont font;
        if (text.face.empty()) {
            font.setFamilies(fixedFaces());
            font.setStyleHint(QFont::TypeWriter);
        } else {
            font.setFamily(visibleText(text.face));
            font.setStyleHint(QFont::SansSerif);
        }
        font.setPixelSize(std::max(1, text.size));
        font.setBold(text.bold);
        font.setItalic(text.italic);
        font.setUnderline(text.underline);
        font.setStrikeOut(text.strikeOut);
        painter_.save();
        painter_.setFont(font);
        painter_.setPen(ink_);
        painter_.translate(point(text.anchor));
        if (text.upward) {
            painter_.rotate(-90);
        }
        // Stretched as the SVG writer stretches it, so that the same face draws the same.
        painter_.scale(fixedTextStretch(text), 1);
        painter_.drawText(QPointF(0, 0), shown);
        painter_.restore();
    }

    // Widths and dashes are in drawing units; a stroke never gets thinner than one pixel. Ends
    // and corners as SVG draws them by default: butt caps, mitred joins up to a limit of 4.
    QPen dashedPen(int width, int on, int off, const QColor& c) const {
        const double pixels = std::max(1.0, width * scale_);
        QPen pen(c, pixels);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        pen.setMiterLimit(4);
        if (on > 0) {
            pen.setDashPattern({on * scale_ / pixels, off * scale_ / pixels});
        }
        return pen;
    }

  private:
    // Draws the part of a line that is shown, its dashes where the whole line would have them:
    // a line far longer than the pane would otherwise be dashed along all its length.
    void drawVisiblePart(QPointF from, QPointF to, QPen& linePen) {
        const auto part = segmentPartInside(
            {from.x(), from.y()}, {to.x(), to.y()},
            {visible_.left(), visible_.top(), visible_.right(), visible_.bottom()});
        if (!part) {
            return;
        }
        const QPointF d = to - from;
        if (linePen.style() == Qt::CustomDashLine) {
            const double skipped = part->first * std::hypot(d.x(), d.y()) * scale_;
            const double period = [&] {
                double sum = 0;
                for (const qreal length : linePen.dashPattern()) {
                    sum += length;
                }
                return sum * linePen.widthF();
            }();
            if (period > 0) {
                linePen.setDashOffset(std::fmod(skipped, period) / linePen.widthF());
            }
        }
        painter_.setPen(linePen);
        painter_.setBrush(Qt::NoBrush);
        painter_.drawLine(from + d * part->first, from + d * part->second);
    }

    static QStringList fixedFaces() {
        QStringList faces;
        for (const char* face : kFixedFaces) {
            faces.append(QString::fromLatin1(face));
        }
        faces.append(QString::fromLatin1(kFixedFallbackFace));
        return faces;
    }

    QPen pen(Stroke stroke) const {
        return stroke == Stroke::Dashed ? dashedPen(strokeWidth(stroke), kDashOn, kDashOff, ink_)
                                        : dashedPen(strokeWidth(stroke), 0, 0, ink_);
    }

    QPainter& painter_;
    double scale_;
    QRectF visible_;
    QColor ink_ = colour(kInkColour);
};

}  // namespace

QTransform viewTransform(const PreviewView& view) {
    const double scale = view.scale();
    const ViewPoint origin = view.origin();
    return QTransform(scale, 0, 0, scale, -origin.x * scale, -origin.y * scale);
}

void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  const PreviewView& previewView, const std::atomic<bool>* cancelled) {
    const double scale = previewView.scale();
    const QTransform view = viewTransform(previewView);
    if (target.isEmpty() || !std::isfinite(scale) || scale <= 0) {
        return;
    }
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.fillRect(target, colour(kBackgroundColour));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setTransform(view, true);
    // What is shown, in drawing units, with room for the widest stroke.
    const double room = 2 * strokeWidth(Stroke::Thick) + 2 / scale;
    const QRectF visible = view.inverted().mapRect(target).adjusted(-room, -room, room, room);
    const auto shown = [&visible](const SchRect& r) { return rectF(r).intersects(visible); };

    PrimitivePainter primitives(painter, scale, visible);
    painter.setPen(primitives.dashedPen(1, 0, 0, colour(kSheetFrameColour)));
    painter.setBrush(colour(kSheetColour));
    painter.drawRect(rectF(drawing.sheet).intersected(visible));

    // The elements kind by kind, clipped to the sheet, then the marks and the title line in the
    // page's margin.
    painter.save();
    painter.setClipRect(rectF(clipArea(drawing)), Qt::IntersectClip);
    for (const KindLayer& layer : kDrawOrder) {
        for (const DrawnElement& element : drawing.elements) {
            if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed)) {
                painter.restore();
                painter.restore();
                return;
            }
            if (element.kind != layer.kind || element.primitives.empty()) {
                continue;
            }
            DrawingBounds extent;
            extent.add(element);
            if (!shown(extent.rect())) {
                continue;
            }
            for (const Primitive& primitive : element.primitives) {
                std::visit(primitives, primitive);
            }
        }
    }
    painter.restore();
    primitives.setInk(kOutsideColour);
    for (const Primitive& primitive : drawing.leftOutMarks) {
        std::visit(primitives, primitive);
    }
    primitives.setInk(kInkColour);
    primitives(drawing.title);
    painter.restore();
}
