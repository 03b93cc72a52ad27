#pragma once

#include <QRectF>
#include <QTransform>
#include <atomic>

#include "render/primitives.h"

class QPainter;

// Paints a drawing with QPainter from the same primitives, colours and order as the SVG writer:
// `target` (in the painter's coordinates) is filled with the colour around the sheet, and the
// drawing is mapped into it by `view` (drawing units to the painter's coordinates, one scale for
// both axes). Only what falls into `target` is painted, and lines are cut to it first, so that
// a drawing zoomed in far paints as fast as one fitted. Stops between elements once `cancelled`
// is set.
void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  const QTransform& view, const std::atomic<bool>* cancelled = nullptr);
