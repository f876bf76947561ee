#include "DevicePixels.h"

#include <QPainter>
#include <QTransform>
#include <QWidget>
#include <cmath>

namespace {

// Qt's raster engine takes a device coordinate that falls on a half to the next pixel.
int DeviceEdge(qreal coordinate) {
    return static_cast<int>(std::floor(coordinate + 0.5));
}

QRect EdgesToRect(QPointF topLeft, QPointF bottomRight) {
    const int left = DeviceEdge(topLeft.x());
    const int top = DeviceEdge(topLeft.y());
    return QRect(left, top, DeviceEdge(bottomRight.x()) - left, DeviceEdge(bottomRight.y()) - top);
}

}  // namespace

QRect DeviceRect(const QPainter& painter, const QRect& logical) {
    const QTransform& device = painter.deviceTransform();
    return EdgesToRect(
        device.map(QPointF(logical.topLeft())),
        device.map(QPointF(logical.x() + logical.width(), logical.y() + logical.height())));
}

QSize DeviceSize(const QWidget& widget) {
    const qreal ratio = widget.devicePixelRatioF();
    const QPoint inWindow = widget.mapTo(widget.window(), QPoint(0, 0));
    const QPointF topLeft = QPointF(inWindow) * ratio;
    const QPointF bottomRight = QPointF(inWindow + QPoint(widget.width(), widget.height())) * ratio;
    return EdgesToRect(topLeft, bottomRight).size();
}

DevicePixelPainting::DevicePixelPainting(QPainter& painter, const QRect& logical)
    : m_painter(painter) {
    const QRect device = DeviceRect(painter, logical);
    m_size = device.size();
    painter.save();
    // What lies between the world and the device (the widget's place in its window, the
    // ratio) stays; the world is made the inverse of it, moved to the rectangle's corner.
    const QTransform below = painter.worldTransform().inverted() * painter.deviceTransform();
    painter.setWorldTransform(QTransform::fromTranslate(device.x(), device.y()) * below.inverted());
}

DevicePixelPainting::~DevicePixelPainting() {
    m_painter.restore();
}
