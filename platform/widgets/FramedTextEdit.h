#pragma once

#include <QPlainTextEdit>

// A text box of several lines whose frame stays whole on screens scaled by any ratio. Styles
// draw a frame's lines where the box's inside, painted after them, covers them at fractional
// ratios (the bottom and right lines vanish at 1.5, all four at 1.25). Here the inside keeps
// a window pixel clear on every side and the frame fills what it leaves: whole device pixels
// at any ratio, one window pixel at ratio 1.
class FramedTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit FramedTextEdit(const QString& text, QWidget* parent = nullptr);

    QColor FrameColour() const;

protected:
    bool event(QEvent* event) override;
};
