// Renders the program's SVG icon into a Windows icon file for morvex.exe's resources:
//   morvex_render_icon INPUT.svg OUTPUT.ico
// The file holds the icon at 16, 24, 32 and 48 pixels, each as a 32-bit image with its mask.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One icon image: a bitmap header of twice the height (colour and mask), the BGRA rows bottom
// up, then the mask rows (1 bit per pixel, set where transparent), each padded to 32 bits.
std::string iconImage(const QImage& image) {
    const auto size = static_cast<uint32_t>(image.width());
    const uint32_t maskRowBytes = (size + 31) / 32 * 4;
    std::string out;
    put32(out, 40);
    put32(out, size);
    put32(out, size * 2);
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, size * size * 4 + maskRowBytes * size);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            put32(out, image.pixel(x, y));  // 0xAARRGGBB: B, G, R, A in the file
        }
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        std::string row(maskRowBytes, '\0');
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
        }
        out += row;
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: morvex_render_icon INPUT.svg OUTPUT.ico\n", stderr);
        return 2;
    }
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fputs("morvex_render_icon: Qt cannot read the SVG\n", stderr);
        return 1;
    }
    const std::vector<int> sizes = {16, 24, 32, 48};
    std::vector<std::string> images;
    for (const int size : sizes) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        images.push_back(iconImage(image));
    }
    std::string file;
    put16(file, 0);
    put16(file, 1);  // an icon
    put16(file, static_cast<uint32_t>(sizes.size()));
    auto offset = static_cast<uint32_t>(6 + 16 * sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        file.push_back(static_cast<char>(sizes[i]));
        file.push_back(static_cast<char>(sizes[i]));
        file.push_back(0);  // no palette
        file.push_back(0);
        put16(file, 1);   // planes
        put16(file, 32);  // bits per pixel
        put32(file, static_cast<uint32_t>(images[i].size()));
        put32(file, offset);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::string& image : images) {
        file += image;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out.good() ? 0 : 1;
}
