#pragma once

#include <QPushButton>
#include <array>

#include "imaging/ImageBuffer.h"

class QImage;

// What an owner-drawn button is asked to draw: where, and in which state.
struct DrawItemStruct {
    QPainter& dc;
    QRect item;
    bool selected = false;  // pressed
    bool focus = false;
    bool disabled = false;
};

// A button that shows a picture instead of its text, in four looks made from one bitmap:
// raised, raised with a focus frame, pressed in, and greyed out.
class CImageButton : public QPushButton {
    Q_OBJECT
public:
    enum Look { Normal, Focused, Pressed, Disabled };

    explicit CImageButton(QWidget* parent = nullptr);

    // Takes the bitmap resource `id` (res/BITMAP/<id>.png). False when there is none.
    bool SetImage(int id);
    // Builds the four looks from `picture` and gives the button its size.
    void SetImage(const QImage& picture);
    bool HasImage() const { return m_dc[Normal].Section() != nullptr; }
    const CDC& Image(Look look) const { return m_dc[look].Dc(); }

    // Pressed wins over focused, focused over disabled.
    static Look Choose(const DrawItemStruct& item);
    void DrawItem(const DrawItemStruct& item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<ImageBuffer, 4> m_dc;  // by Look; each buffer is a context with its bitmap
};
