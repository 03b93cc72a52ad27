#include "app/gui/work_area.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

QScreen* screenOf(const QWidget& window) {
    const QWidget* parent = window.parentWidget();
    QScreen* screen = parent != nullptr ? parent->window()->screen() : window.screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

namespace {

QMargins frameAround(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

}  // namespace

QMargins windowFrame(const QWidget& window) {
    if (window.isVisible()) {
        if (const QMargins frame = frameAround(window); !frame.isNull()) {
            return frame;
        }
    }
    if (const QWidget* parent = window.parentWidget(); parent != nullptr && parent->isVisible()) {
        if (const QMargins frame = frameAround(*parent->window()); !frame.isNull()) {
            return frame;
        }
    }
    // Not framed yet: a title bar twice the font's height, borders a quarter of it.
    const int line = window.fontMetrics().height();
    return {line / 4, 2 * line, line / 4, line / 4};
}

QRect placedInside(const QRect& client, const QMargins& frame, const QRect& area) {
    const QRect room = area.marginsRemoved(frame);
    const QSize size = client.size().boundedTo(room.size());
    const int x = std::max(room.left(), std::min(client.left(), room.right() + 1 - size.width()));
    const int y = std::max(room.top(), std::min(client.top(), room.bottom() + 1 - size.height()));
    return {QPoint(x, y), size};
}

QSize sizeInWorkArea(const QWidget& window, const QSize& wanted) {
    return wanted.boundedTo(
        screenOf(window)->availableGeometry().marginsRemoved(windowFrame(window)).size());
}

void keepInWorkArea(QWidget& window) {
    const QRect area = screenOf(window)->availableGeometry();
    const QRect placed = placedInside(window.geometry(), windowFrame(window), area);
    if (placed != window.geometry()) {
        window.setGeometry(placed);
    }
}
