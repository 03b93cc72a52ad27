#include "app/gui/preview_view.h"

#include <algorithm>
#include <cmath>

void PreviewView::fit(const QRectF& content, const QSizeF& viewport) {
    content_ = content.normalized();
    viewport_ = viewport;
    refit();
}

void PreviewView::refit() {
    scale_ = fitScale();
    centre_ = content_.center();
    fitted_ = true;
}

double PreviewView::fitScale() const {
    // A content or pane without extent counts as one unit or pixel across.
    const double width = std::max(1.0, content_.width());
    const double height = std::max(1.0, content_.height());
    const double pixelsWide = std::max(1.0, viewport_.width());
    const double pixelsHigh = std::max(1.0, viewport_.height());
    return std::min({pixelsWide / width, pixelsHigh / height, kMaxScale});
}

void PreviewView::zoomAbout(const QPointF& pixel, double factor) {
    if (!std::isfinite(factor) || factor <= 0) {
        return;
    }
    const double fitted = fitScale();
    const double scale =
        std::clamp(scale_ * factor, fitted * kMinFitFraction, std::max(fitted, kMaxScale));
    const QPointF fromCentre = pixel - QPointF(viewport_.width() / 2, viewport_.height() / 2);
    const QPointF under = centre_ + fromCentre / scale_;
    scale_ = scale;
    centre_ = under - fromCentre / scale_;
    clampCentre();
    fitted_ = false;
}

void PreviewView::pan(const QPointF& pixels) {
    centre_ -= pixels / scale_;
    clampCentre();
    fitted_ = false;
}

void PreviewView::resize(const QSizeF& viewport) {
    viewport_ = viewport;
    if (fitted_) {
        refit();
    }
}

void PreviewView::clampCentre() {
    centre_.setX(std::clamp(centre_.x(), content_.left(), content_.right()));
    centre_.setY(std::clamp(centre_.y(), content_.top(), content_.bottom()));
}

QTransform PreviewView::transform() const {
    QTransform t;
    t.translate(viewport_.width() / 2, viewport_.height() / 2);
    t.scale(scale_, scale_);
    t.translate(-centre_.x(), -centre_.y());
    return t;
}
