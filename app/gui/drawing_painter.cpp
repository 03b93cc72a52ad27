#include "app/gui/drawing_painter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <variant>

#include "render/display_text.h"
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
    PrimitivePainter(QPainter& painter, double scale) : painter_(painter), scale_(scale) {}

    void setInk(uint32_t rgb) { ink_ = colour(rgb); }

    void operator()(const LinePrimitive& line) {
        painter_.setPen(pen(line.stroke));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawLine(point(line.from), point(line.to));
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
    QColor ink_ = colour(kInkColour);
};

// Paints the elements kind by kind, clipped to the sheet; false when cancelled on the way.
bool paintElements(QPainter& painter, PrimitivePainter& primitives, const Drawing& drawing,
                   const std::atomic<bool>* cancelled) {
    painter.save();
    painter.setClipRect(rectF(clipArea(drawing)));
    for (const KindLayer& layer : kDrawOrder) {
        for (const DrawnElement& element : drawing.elements) {
            if (cancelled != nullptr && cancelled->load(std::memory_order_relaxed)) {
                painter.restore();
                return false;
            }
            if (element.kind == layer.kind) {
                for (const Primitive& primitive : element.primitives) {
                    std::visit(primitives, primitive);
                }
            }
        }
    }
    painter.restore();
    return true;
}

}  // namespace

void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  const std::atomic<bool>* cancelled) {
    const QRectF view = rectF(viewArea(drawing));
    if (view.width() <= 0 || view.height() <= 0 || target.isEmpty()) {
        return;
    }
    const double scale = std::min(target.width() / view.width(), target.height() / view.height());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(target.center());
    painter.scale(scale, scale);
    painter.translate(-view.center());

    painter.fillRect(view, colour(kBackgroundColour));
    PrimitivePainter primitives(painter, scale);
    painter.setPen(primitives.dashedPen(1, 0, 0, colour(kSheetFrameColour)));
    painter.setBrush(colour(kSheetColour));
    painter.drawRect(rectF(drawing.sheet));

    if (paintElements(painter, primitives, drawing, cancelled)) {
        primitives.setInk(kOutsideColour);
        for (const Primitive& primitive : drawing.leftOutMarks) {
            std::visit(primitives, primitive);
        }
        primitives.setInk(kInkColour);
        primitives(drawing.title);
    }
    painter.restore();
}
