#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "app/gui/drawing_painter.h"
#include "model/document.h"
#include "model/label.h"
#include "render/draw_document.h"
#include "render/style.h"
#include "render/svg_writer.h"

namespace {

// The box of the dark pixels between two rows.
QRect inkBox(const QImage& picture, int top, int bottom) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    QRect box;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

}  // namespace

// The dialog's painter and a renderer of the SVG draw a text of fixed metrics alike, 8 units a
// byte, whatever either does with textLength.
class DrawingPainterTest : public QObject {
    Q_OBJECT

  private slots:
    void textsOfFixedMetricsMatchTheSvgRenderer() {
        const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
        if (rsvg.isEmpty()) {
            QSKIP("rsvg-convert is not installed");
        }
        // "MORVEX 電源": 11 bytes, 88 units, on a sheet of 200 x 60 whose page is 280 x 164.
        SchDocument doc;
        doc.sheetSize = {200, 60};
        auto label = std::make_unique<SchLabel>();
        label->p1 = {20, 40};
        label->text = "MORVEX \x93\x64\x8C\xB9";
        doc.append(std::move(label));
        const Drawing drawing = drawDocument(doc);
        constexpr int kScale = 4;

        QTemporaryDir dir;
        QFile svg(dir.filePath(QStringLiteral("label.svg")));
        QVERIFY(svg.open(QIODevice::WriteOnly));
        svg.write(QByteArray::fromStdString(svgDocument(drawing)));
        svg.close();
        const QString png = dir.filePath(QStringLiteral("label.png"));
        QCOMPARE(QProcess::execute(rsvg, {QStringLiteral("-z"), QString::number(kScale),
                                          svg.fileName(), QStringLiteral("-o"), png}),
                 0);
        const QImage rendered(png);
        QCOMPARE(rendered.size(), QSize(280 * kScale, 164 * kScale));

        QImage painted(rendered.size(), QImage::Format_RGB32);
        QPainter painter(&painted);
        const SchRect page = viewArea(drawing);
        PreviewView view;
        view.fit({static_cast<double>(page.left), static_cast<double>(page.top),
                  static_cast<double>(page.right), static_cast<double>(page.bottom)},
                 painted.width(), painted.height());
        paintDrawing(painter, drawing, QRectF(painted.rect()), view);
        painter.end();

        // The rows of the sheet: the title line below it stays out.
        const QRect fromSvg = inkBox(rendered, 40 * kScale, 100 * kScale);
        const QRect fromPainter = inkBox(painted, 40 * kScale, 100 * kScale);
        qInfo("text ink: rsvg-convert %dx%d at (%d, %d), Qt %dx%d at (%d, %d)", fromSvg.width(),
              fromSvg.height(), fromSvg.x(), fromSvg.y(), fromPainter.width(), fromPainter.height(),
              fromPainter.x(), fromPainter.y());
        QVERIFY(!fromSvg.isEmpty());
        QVERIFY(qAbs(fromSvg.width() - fromPainter.width()) <= 8);
        QVERIFY(qAbs(fromSvg.height() - fromPainter.height()) <= 4);
        QVERIFY((fromSvg.bottomLeft() - fromPainter.bottomLeft()).manhattanLength() <= 6);
        // In a monospaced CJK face the ink spans the text's 88 units less a little bearing.
        if (QFontDatabase::hasFamily(QStringLiteral("IPAGothic"))) {
            QVERIFY(qAbs(fromSvg.width() - 88 * kScale) <= 6 * kScale);
        }
    }
};

QTEST_MAIN(DrawingPainterTest)
#include "drawing_painter_test.moc"
