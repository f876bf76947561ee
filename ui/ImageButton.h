#pragma once

#include <QPushButton>
#include <QSize>
#include <array>
#include <functional>

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

// A button's picture for a screen's device-pixel ratio: as many pixels as the button covers
// there (give or take one where the ratio makes half pixels), with that devicePixelRatio.
using PictureAt = std::function<QImage(qreal ratio)>;

// Bitmap resource `id` (res/BITMAP/<id>.png) at a device-pixel ratio: the drawing made for
// that scale where there is one (<id>@1.25x.png, @1.5x, @2x), else the next larger drawing
// scaled to it. Null when there is no such bitmap.
QImage BitmapAt(int id, qreal ratio);

// A button that shows a picture instead of its text, in four looks made from one bitmap:
// raised, raised with a focus frame, pressed in, and greyed out. On a screen scaled by a
// device-pixel ratio the looks are made anew, in device pixels, from the picture at that
// ratio, with frames as wide as a pixel of the window: sharp at any ratio.
class CImageButton : public QPushButton {
    Q_OBJECT
public:
    enum Look { Normal, Focused, Pressed, Disabled };

    explicit CImageButton(QWidget* parent = nullptr);

    // Takes the bitmap resource `id` with its drawings for scaled screens. False when there
    // is none.
    bool SetImage(int id);
    // Builds the four looks from `picture` and gives the button its size; on scaled screens
    // the picture is enlarged.
    void SetImage(const QImage& picture);
    // The same from the picture at ratio 1; `picture` is asked again for scaled screens.
    void SetImage(PictureAt picture);
    bool HasImage() const { return m_dc[Normal].Section() != nullptr; }
    // The looks at ratio 1, one bitmap pixel per pixel of the window.
    const CDC& Image(Look look) const { return m_dc[look].Dc(); }
    // The looks for `device` pixels at `ratio`, made on first use.
    const CDC& DeviceImage(Look look, QSize device, qreal ratio);

    // Pressed wins over focused, focused over disabled.
    static Look Choose(const DrawItemStruct& item);
    void DrawItem(const DrawItemStruct& item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    using Looks = std::array<ImageBuffer, 4>;  // by Look; each a context with its bitmap

    // The four looks of `picture`, a bitmap of `logical` pixels, in `looks` of `device` size.
    bool BuildLooks(Looks& looks, const QImage& picture, QSize logical, QSize device) const;

    PictureAt m_picture;
    Looks m_dc;
    Looks m_deviceLooks;
    QSize m_deviceSize;
    qreal m_deviceRatio = 1;
};
