#pragma once

#include <windows.h>

#include "app/core/preview_view.h"
#include "render/primitives.h"

// Paints a drawing with GDI from the same primitives, colours and order as the SVG writer and the
// Qt dialog's painter: `target` (pane pixels) is filled with the colour around the sheet, and the
// drawing is mapped into it by `view`. Only what falls into `target` is painted, and lines are cut
// to it first, so that a drawing zoomed in far paints as fast as one fitted.
void paintDrawing(HDC dc, const Drawing& drawing, const RECT& target, const PreviewView& view);
