#include "FramedTextEdit.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

FramedTextEdit::FramedTextEdit(const QString& text, QWidget* parent)
    : QPlainTextEdit(text, parent) {
    // A plain box keeps the inside and the scroll bars a window pixel from every edge; the
    // frame is painted below, not by the style.
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
}

QColor FramedTextEdit::FrameColour() const {
    // The grey of a sunken field's edge.
    return palette().color(QPalette::Window).darker(130);
}

bool FramedTextEdit::event(QEvent* event) {
    if (event->type() != QEvent::Paint) {
        return QPlainTextEdit::event(event);
    }
    QPainter painter(this);
    painter.fillRect(rect(), FrameColour());
    // The corner between the two scroll bars, when both show.
    const QScrollBar* across = horizontalScrollBar();
    const QScrollBar* down = verticalScrollBar();
    if (across->isVisible() && down->isVisible()) {
        painter.fillRect(QRect(down->x(), across->y(), down->width(), across->height()),
                         palette().color(QPalette::Window));
    }
    return true;
}
