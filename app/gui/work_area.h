#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// Keeps windows inside the work area of their screen: its available geometry, the screen less
// its panels and task bars.

// The screen a window shows on: its parent's when it has one, else its own.
QScreen* screenOf(const QWidget& window);

// The frame the window system draws around a window: as it is once the window is shown and
// framed, else as its parent's is, else an estimate of a title bar and borders from the font.
QMargins windowFrame(const QWidget& window);

// `client` (a window's client area) moved, and shrunk where it is larger, so that with `frame`
// around it it lies inside `area`; of two edges that cannot both be inside, the top and the left
// are.
QRect placedInside(const QRect& client, const QMargins& frame, const QRect& area);

// `wanted` shrunk, where it is larger, to what fits inside the window's screen's work area with
// the window's frame around it.
QSize sizeInWorkArea(const QWidget& window, const QSize& wanted);

// Shrinks and moves the window so that it lies, framed, inside its screen's work area.
void keepInWorkArea(QWidget& window);
