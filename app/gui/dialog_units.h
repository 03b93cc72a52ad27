#pragma once

#include <QRect>
#include <QSize>

class QFontMetrics;

// Maps dialog-template units to pixels: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its height, as dialog templates are measured.
class DialogUnits {
  public:
    explicit DialogUnits(const QFontMetrics& metrics);

    // Widens the horizontal unit, never narrows it, so that `units` hold `pixels`.
    void fit(int units, int pixels);

    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const;

  private:
    int toX(int units) const;
    int toY(int units) const;

    double pixelsPerUnitX_;
    double pixelsPerUnitY_;
};
