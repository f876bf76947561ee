#include "WindowGeometry.h"

#include <QScreen>
#include <QWidget>

#include "platform/emulation/WindowSystem.h"

WindowPlacement PlacementAt(QPoint topLeft, QSize inside) {
    return {topLeft.x(), topLeft.y(), topLeft.x() + inside.width(), topLeft.y() + inside.height()};
}

WindowPlacement PlacementOf(const QWidget& window) {
    WindowPlacement placement = PlacementAt(window.pos(), window.size());
    placement.positionKnown = WindowPositionsKnown();
    return placement;
}

void PlaceWindow(QWidget& window, const WindowPlacement& placement) {
    window.move(placement.left, placement.top);
    window.resize(placement.right - placement.left, placement.bottom - placement.top);
}

QRect ScreenRect(const QScreen* screen) {
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}
