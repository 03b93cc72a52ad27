#include "app/gui/font_choice.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "app/core/conversion.h"

QFont initialFont(const QString& face, const std::string& sizeText) {
    QFont font(face);
    font.setWeight(QFont::Normal);
    const int pixels = pointsToUnits(sizeText);
    if (pixels > 0) {
        font.setPixelSize(pixels);
    }
    return font;
}

int chosenPoints(const QFont& font) {
    if (font.pixelSize() > 0) {
        return static_cast<int>(std::abs(int64_t{font.pixelSize()} * 72 / 96));
    }
    constexpr double kMax = std::numeric_limits<int>::max();
    const double points = std::trunc(std::abs(font.pointSizeF()));
    return static_cast<int>(points < kMax ? points : kMax);
}
