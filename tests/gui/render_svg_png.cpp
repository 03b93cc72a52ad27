// Renders an SVG file into a PNG with Qt's SVG renderer, for the documentation's pictures:
//   morvex_svg_png INPUT.svg OUTPUT.png SCALE [LEFT TOP WIDTH HEIGHT]
// SCALE is pixels per SVG unit; the optional rectangle, in SVG units, picks the part of the
// viewBox to render (all of it when left out). Fails when Qt cannot read the SVG.
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 8) {
        std::fputs("usage: morvex_svg_png INPUT.svg OUTPUT.png SCALE [LEFT TOP WIDTH HEIGHT]\n",
                   stderr);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fputs("morvex_svg_png: Qt cannot read the SVG\n", stderr);
        return 1;
    }
    if (argc == 8) {
        svg.setViewBox(svg.viewBoxF().intersected(QRectF(std::atof(argv[4]), std::atof(argv[5]),
                                                         std::atof(argv[6]), std::atof(argv[7]))));
    }
    const double scale = std::atof(argv[3]);
    const QRectF view = svg.viewBoxF();
    QImage image(static_cast<int>(std::lround(view.width() * scale)),
                 static_cast<int>(std::lround(view.height() * scale)), QImage::Format_RGB32);
    if (image.isNull()) {
        std::fputs("morvex_svg_png: the picture would be too large\n", stderr);
        return 1;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    svg.render(&painter);
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
