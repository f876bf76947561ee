#pragma once

#include <QRect>
#include <QSize>

class QPainter;
class QWidget;

// On screens scaled by a device-pixel ratio above 1 a logical pixel covers several device
// pixels, at fractional ratios some one and some two. What must show pixel for pixel (a
// picture at its real size, a one-pixel frame) is drawn in device pixels, whose edges are
// where Qt's raster engine puts the edges of a filled logical rectangle: rounded, halves up.

// The device pixels that the painter's rectangle `logical` covers.
QRect DeviceRect(const QPainter& painter, const QRect& logical);
// The size in device pixels of `widget` as its window paints it: what DeviceRect gives for
// the widget's rectangle while it is painted.
QSize DeviceSize(const QWidget& widget);

// While it lives, `painter` draws in device pixels, with (0, 0) at the top left device pixel
// of `logical`; the painter's state is restored at its end.
class DevicePixelPainting {
public:
    DevicePixelPainting(QPainter& painter, const QRect& logical);
    ~DevicePixelPainting();
    DevicePixelPainting(const DevicePixelPainting&) = delete;
    DevicePixelPainting& operator=(const DevicePixelPainting&) = delete;

    // The device pixels of `logical`, from (0, 0).
    QRect Rect() const { return QRect(QPoint(0, 0), m_size); }

private:
    QPainter& m_painter;
    QSize m_size;
};
