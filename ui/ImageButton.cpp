#include "ImageButton.h"

#include <QImage>
#include <QPainter>
#include <initializer_list>

#include "platform/DibSection.h"

namespace {

constexpr Colour kLightGrey = Rgb(0xC0, 0xC0, 0xC0);
constexpr Colour kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr Colour kBlack = Rgb(0, 0, 0);

// Lines from the current position through `points`, each leaving out its end point.
void LinesTo(CDC& dc, Colour pen, std::initializer_list<QPoint> points) {
    dc.SetPenColour(pen);
    for (const QPoint& point : points) {
        dc.LineTo(point.x(), point.y());
    }
}

// White above and left, black below and right: the raised edge of a button.
void RaisedEdge(CDC& dc, int w, int h) {
    dc.MoveTo(w - 1, 0);
    LinesTo(dc, kWhite, {{0, 0}, {0, h - 1}});
    LinesTo(dc, kBlack, {{w - 1, h - 1}, {w - 1, 0}});
}

// Where two pixels in a row (column by column, top to bottom) have the same colour, white;
// at every change of colour, grey: the picture's outlines, as etched into the button.
void Etch(CDC& dc, int w, int h) {
    long previous = -1;  // no pixel before the first
    for (int x = 0; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            const long colour = dc.GetPixel(x, y);
            dc.SetPixel(x, y, colour == previous ? kWhite : kLightGrey);
            previous = colour;
        }
    }
}

}  // namespace

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);  // Enter does not press the button that has the focus
}

bool CImageButton::SetImage(int id) {
    const QImage picture(QStringLiteral(":/BITMAP/%1.png").arg(id));
    if (picture.isNull()) {
        return false;
    }
    SetImage(picture);
    return true;
}

void CImageButton::SetImage(const QImage& picture) {
    const int w = picture.width();
    const int h = picture.height();
    // Transparent parts show the button's face.
    QImage opaque(picture.size(), QImage::Format_BGR888);
    opaque.fill(palette().button().color());
    QPainter(&opaque).drawImage(0, 0, picture);
    for (ImageBuffer& buffer : m_dc) {
        if (!buffer.Create(w, h)) {
            for (ImageBuffer& made : m_dc) {
                made.Release();
            }
            return;
        }
        buffer.Dc().DrawBgrPixels(0, 0, w, h, opaque.constBits(),
                                  static_cast<std::size_t>(opaque.bytesPerLine()));
    }
    resize(w, h);

    CDC& normal = m_dc[Normal].Dc();
    normal.MoveTo(w - 2, 1);
    LinesTo(normal, kLightGrey, {{w - 2, h - 2}, {w - 2, 0}});
    RaisedEdge(normal, w, h);

    CDC& focused = m_dc[Focused].Dc();
    focused.MoveTo(w - 3, 1);
    LinesTo(focused, kLightGrey, {{w - 3, h - 3}, {w - 3, 0}});
    RaisedEdge(focused, w, h);
    focused.MoveTo(w - 2, 1);
    LinesTo(focused, kBlack, {{1, 1}, {1, h - 2}, {w - 2, h - 2}, {w - 2, 1}});

    CDC& pressed = m_dc[Pressed].Dc();
    pressed.BitBlt(1, 1, w, h, pressed, 0, 0);
    pressed.MoveTo(w - 1, 0);
    LinesTo(pressed, kLightGrey, {{0, 0}, {0, h - 1}});
    LinesTo(pressed, kWhite, {{w - 1, h - 1}, {w - 1, 0}});

    CDC& disabled = m_dc[Disabled].Dc();
    disabled.BitBlt(0, 0, w, h, normal, 0, 0);
    Etch(disabled, w, h);
    update();
}

CImageButton::Look CImageButton::Choose(const DrawItemStruct& item) {
    if (item.selected) {
        return Pressed;
    }
    if (item.focus) {
        return Focused;
    }
    return item.disabled ? Disabled : Normal;
}

void CImageButton::DrawItem(const DrawItemStruct& item) {
    const DibSection* look = Image(Choose(item)).GetCurrentBitmap();
    if (look == nullptr) {
        return;
    }
    const QImage shown = look->ToImage();
    item.dc.drawImage(QPoint(0, 0), shown, QRect(QPoint(0, 0), item.item.size()));
}

void CImageButton::paintEvent(QPaintEvent* event) {
    if (!HasImage()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    DrawItem({painter, rect(), isDown(), hasFocus(), !isEnabled()});
}
