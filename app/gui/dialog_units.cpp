#include "app/gui/dialog_units.h"

#include <QFontMetrics>
#include <cmath>

DialogUnits::DialogUnits(const QFontMetrics& metrics) {
    // The average width is that of the 52 Latin letters, rounded as the template engine does.
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int averageWidth = (letters / 26 + 1) / 2;
    pixelsPerUnitX_ = averageWidth / 4.0;
    pixelsPerUnitY_ = metrics.height() / 8.0;
}

void DialogUnits::fit(int units, int pixels) {
    if (units > 0 && pixels > units * pixelsPerUnitX_) {
        pixelsPerUnitX_ = static_cast<double>(pixels) / units;
    }
}

QRect DialogUnits::rect(int x, int y, int width, int height) const {
    const int left = toX(x);
    const int top = toY(y);
    return QRect(left, top, toX(x + width) - left, toY(y + height) - top);
}

QSize DialogUnits::size(int width, int height) const {
    return QSize(toX(width), toY(height));
}

int DialogUnits::toX(int units) const {
    return static_cast<int>(std::lround(units * pixelsPerUnitX_));
}

int DialogUnits::toY(int units) const {
    return static_cast<int>(std::lround(units * pixelsPerUnitY_));
}
