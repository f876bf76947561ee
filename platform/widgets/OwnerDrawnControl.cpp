#include "OwnerDrawnControl.h"

#include <QPainter>

OwnerDrawnControl::OwnerDrawnControl(QWidget* parent) : QWidget(parent) {
    // The owner covers every pixel: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OwnerDrawnControl::paintEvent(QPaintEvent*) {
    if (m_drawItem) {
        QPainter painter(this);
        m_drawItem(painter, rect());
    }
}
