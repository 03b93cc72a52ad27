#include "app/core/preview_view.h"

#include <algorithm>
#include <cmath>

double PreviewView::wheelFactor(int eighthsOfDegree) {
    return std::pow(kZoomStep, eighthsOfDegree / 120.0);
}

void PreviewView::fit(const ViewRect& content, double width, double height) {
    fit(content, content, width, height);
}

void PreviewView::fit(const ViewRect& content, const ViewRect& extent, double width,
                      double height) {
    content_ = content;
    extent_ = {std::min(content.left, extent.left), std::min(content.top, extent.top),
               std::max(content.right, extent.right), std::max(content.bottom, extent.bottom)};
    width_ = width;
    height_ = height;
    refit();
}

void PreviewView::refit() {
    scale_ = fitScale(content_);
    centre_ = {(content_.left + content_.right) / 2, (content_.top + content_.bottom) / 2};
    fitted_ = true;
}

double PreviewView::fitScale(const ViewRect& area) const {
    // An area or pane without extent counts as one unit or pixel across.
    const double units = std::max(1.0, area.right - area.left);
    const double unitsHigh = std::max(1.0, area.bottom - area.top);
    return std::min({std::max(1.0, width_) / units, std::max(1.0, height_) / unitsHigh, kMaxScale});
}

void PreviewView::zoomAbout(ViewPoint pixel, double factor) {
    if (!std::isfinite(factor) || factor <= 0 || !std::isfinite(pixel.x) ||
        !std::isfinite(pixel.y)) {
        return;
    }
    const double fitted = fitScale(content_);
    const double smallest = std::min(fitted, fitScale(extent_)) * kMinFitFraction;
    const double scale = std::clamp(scale_ * factor, smallest, std::max(fitted, kMaxScale));
    const ViewPoint under = toDrawing(pixel);
    scale_ = scale;
    centre_ = {under.x - (pixel.x - width_ / 2) / scale_,
               under.y - (pixel.y - height_ / 2) / scale_};
    clampCentre();
    fitted_ = false;
}

void PreviewView::pan(double dx, double dy) {
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        return;
    }
    centre_ = {centre_.x - dx / scale_, centre_.y - dy / scale_};
    clampCentre();
    fitted_ = false;
}

void PreviewView::resize(double width, double height) {
    width_ = width;
    height_ = height;
    if (fitted_) {
        refit();
    }
}

void PreviewView::clampCentre() {
    centre_.x = std::clamp(centre_.x, extent_.left, extent_.right);
    centre_.y = std::clamp(centre_.y, extent_.top, extent_.bottom);
}

ViewPoint PreviewView::toPixels(ViewPoint drawing) const {
    const ViewPoint o = origin();
    return {(drawing.x - o.x) * scale_, (drawing.y - o.y) * scale_};
}

ViewPoint PreviewView::toDrawing(ViewPoint pixel) const {
    const ViewPoint o = origin();
    return {o.x + pixel.x / scale_, o.y + pixel.y / scale_};
}

ViewPoint PreviewView::origin() const {
    return {centre_.x - width_ / 2 / scale_, centre_.y - height_ / 2 / scale_};
}

std::optional<std::pair<double, double>> segmentPartInside(ViewPoint a, ViewPoint b,
                                                           const ViewRect& area) {
    double enter = 0;
    double leave = 1;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    // Each edge as p × t <= q (Liang and Barsky).
    const double edges[4][2] = {{-dx, a.x - area.left},
                                {dx, area.right - a.x},
                                {-dy, a.y - area.top},
                                {dy, area.bottom - a.y}};
    for (const auto& [p, q] : edges) {
        if (p == 0) {
            if (q < 0) {
                return std::nullopt;
            }
        } else if (p < 0) {
            enter = std::max(enter, q / p);
        } else {
            leave = std::min(leave, q / p);
        }
    }
    if (enter > leave) {
        return std::nullopt;
    }
    return std::pair{enter, leave};
}
