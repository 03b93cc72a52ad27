#pragma once

#include <QRectF>
#include <atomic>

#include "render/primitives.h"

class QPainter;

// Paints a drawing with QPainter from the same primitives, colours and order as the SVG writer,
// scaled to fit `target` and centred in it. Stops between elements once `cancelled` is set.
void paintDrawing(QPainter& painter, const Drawing& drawing, const QRectF& target,
                  const std::atomic<bool>* cancelled = nullptr);
