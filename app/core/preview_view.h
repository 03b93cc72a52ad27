#pragma once

#include <optional>
#include <utility>

// Which part of a drawing a preview pane shows, for the dialogs of every system: a scale in
// pixels per drawing unit and the drawing point at the pane's centre. Computed in double; the
// scale stays within a range around the fitted one and the centre within the content, so that no
// zoom or pan, however often repeated, overflows or loses the drawing.

struct ViewPoint {
    double x = 0;
    double y = 0;
};

// A rectangle from (left, top) to (right, bottom), with left <= right and top <= bottom.
struct ViewRect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

class PreviewView {
  public:
    // The furthest one can zoom in and out: pixels per drawing unit, and a fraction of the scale
    // that fits the content.
    static constexpr double kMaxScale = 64.0;
    static constexpr double kMinFitFraction = 0.125;
    // The zoom of one key press or one notch of the wheel.
    static constexpr double kZoomStep = 1.25;

    // The zoom of a wheel turned by `eighthsOfDegree` (a notch is 120).
    static double wheelFactor(int eighthsOfDegree);

    // Shows all of `content` (drawing units), centred, in a pane `width` × `height` pixels.
    void fit(const ViewRect& content, double width, double height);
    // The same, in a drawing that extends over `extent`: the view may pan over it and zoom out
    // until it is shown whole (and further, by the same fraction as for the content).
    void fit(const ViewRect& content, const ViewRect& extent, double width, double height);
    // Shows all of the content again.
    void refit();
    // Multiplies the scale by `factor` keeping the drawing point under `pixel` where it is.
    void zoomAbout(ViewPoint pixel, double factor);
    // Moves the drawing by (dx, dy) pixels.
    void pan(double dx, double dy);
    // A new pane size: a fitted view fits again, any other keeps its centre and scale.
    void resize(double width, double height);

    double scale() const { return scale_; }
    ViewPoint centre() const { return centre_; }
    bool fitted() const { return fitted_; }
    // Where a drawing point lies in the pane, and which drawing point lies at a pixel.
    ViewPoint toPixels(ViewPoint drawing) const;
    ViewPoint toDrawing(ViewPoint pixel) const;
    // The pixel at the pane's top left (0, 0) is drawing point `origin`: pixel = (drawing -
    // origin) × scale.
    ViewPoint origin() const;

  private:
    double fitScale(const ViewRect& area) const;
    void clampCentre();

    ViewRect content_;
    ViewRect extent_;  // what one may pan over: content_ and all the drawing around it
    double width_ = 0;
    double height_ = 0;
    double scale_ = 1;
    ViewPoint centre_;
    bool fitted_ = true;
};

// The part of the segment from `a` to `b` that lies in `area`, as fractions of its length;
// nothing when it misses the area. Painters cut long lines with it before stroking them.
std::optional<std::pair<double, double>> segmentPartInside(ViewPoint a, ViewPoint b,
                                                           const ViewRect& area);
