#pragma once

#include <QRectF>
#include <QTransform>
#include <atomic>

#include "app/core/preview_view.h"
#include "render/primitives.h"

class QPainter;

// Drawing units to the pane's pixels, as the view maps them.
QTransform viewTransform(const PreviewView& view);

// Paints a drawing with QPainter from the same primitives, colours and order as the SVG writer:
// `target` (pane pixels, the painter's coordinates) is filled with the colour around the sheet,
// and the drawing is mapped into it by `view`. Only what falls into `target` is painted, and
// lines are cut to it first, so that a drawing zoomed in far paints as fast as one fitted. Stops
// between elements once `cancelled` is set.
void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  const PreviewView& view, const std::atomic<bool>* cancelled = nullptr);
