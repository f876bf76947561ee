#pragma once

#include <QWidget>
#include <functional>

class QPainter;

// A control whose owner paints it: every paint request goes to the owner's drawing
// function with the control's whole rectangle.
class OwnerDrawnControl : public QWidget {
    Q_OBJECT
public:
    using DrawItem = std::function<void(QPainter&, const QRect&)>;
    explicit OwnerDrawnControl(QWidget* parent = nullptr);
    void SetDrawItem(DrawItem drawItem) { m_drawItem = std::move(drawItem); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DrawItem m_drawItem;
};
