#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

// Which part of a drawing a pane of the given size shows: a scale in pixels per drawing unit and
// the drawing point at the pane's centre. Computed in double; the scale stays within a range
// around the fitted one and the centre within the content, so that no zoom or pan, however
// often repeated, overflows or loses the drawing.
class PreviewView {
  public:
    // The furthest one can zoom in and out: pixels per drawing unit, and a fraction of the scale
    // that fits the content.
    static constexpr double kMaxScale = 64.0;
    static constexpr double kMinFitFraction = 0.125;

    // Shows all of `content` (drawing units), centred, in a pane of `viewport` pixels.
    void fit(const QRectF& content, const QSizeF& viewport);
    // Shows all of the content again.
    void refit();
    // Multiplies the scale by `factor` keeping the drawing point under `pixel` where it is.
    void zoomAbout(const QPointF& pixel, double factor);
    // Moves the drawing by `pixels`.
    void pan(const QPointF& pixels);
    // A new pane size: a fitted view fits again, any other keeps its centre and scale.
    void resize(const QSizeF& viewport);

    double scale() const { return scale_; }
    QPointF centre() const { return centre_; }
    bool fitted() const { return fitted_; }
    // Drawing units to the pane's pixels.
    QTransform transform() const;

  private:
    double fitScale() const;
    void clampCentre();

    QRectF content_;
    QSizeF viewport_;
    double scale_ = 1;
    QPointF centre_;
    bool fitted_ = true;
};
