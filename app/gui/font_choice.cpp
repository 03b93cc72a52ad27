#include "app/gui/font_choice.h"

#include <cmath>
#include <limits>

#include "app/core/conversion.h"
#include "app/core/conversion_inputs.h"
#include "app/core/face_choice.h"

QFont initialFont(const QString& face, const std::string& sizeText) {
    // setFamily, not the constructor, which would split the name at commas.
    QFont font;
    font.setFamily(face);
    font.setWeight(QFont::Normal);
    const int pixels = pointsToUnits(sizeText);
    if (pixels > 0) {
        font.setPixelSize(pixels);
    }
    return font;
}

int chosenPoints(const QFont& font) {
    if (font.pixelSize() > 0) {
        return pixelsToPoints(font.pixelSize());
    }
    constexpr double kMax = std::numeric_limits<int>::max();
    const double points = std::trunc(std::abs(font.pointSizeF()));
    return static_cast<int>(points < kMax ? points : kMax);
}

int shownPoints(const QFont& font) {
    if (font.pixelSize() > 0) {
        return nearestPoints(font.pixelSize());
    }
    return font.pointSize() > 0 ? font.pointSize() : 0;
}
