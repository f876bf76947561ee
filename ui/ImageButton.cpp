#include "ImageButton.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/emulation/DibSection.h"
#include "platform/widgets/DevicePixels.h"

namespace {

constexpr Colour kLightGrey = Rgb(0xC0, 0xC0, 0xC0);
constexpr Colour kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr Colour kBlack = Rgb(0, 0, 0);

// Where the bitmap's pixels lie among the device pixels of a scaled screen. The frames are
// drawn on the outer three pixels of each side: those take `frame` device pixels each, the
// width of a window pixel in whole device pixels, so every frame line is even and sharp;
// the pixels between share the rest. At ratio 1 every pixel is one device pixel.
class PixelGrid {
public:
    PixelGrid(QSize logical, QSize device, int frame)
        : m_logical(logical), m_device(device), m_frame(frame) {}

    int X(int x) const { return Edge(x, m_logical.width(), m_device.width()); }
    int Y(int y) const { return Edge(y, m_logical.height(), m_device.height()); }
    // Paints pixel (x, y) of the bitmap.
    void Plot(CDC& dc, int x, int y, Colour colour) const {
        for (int row = Y(y); row < Y(y + 1); ++row) {
            for (int column = X(x); column < X(x + 1); ++column) {
                dc.SetPixel(column, row, colour);
            }
        }
    }

private:
    int Edge(int at, int logical, int device) const {
        const int edge = 2 * at <= logical ? at * m_frame : device - (logical - at) * m_frame;
        return std::clamp(edge, 0, device);
    }

    QSize m_logical;
    QSize m_device;
    int m_frame;
};

// Draws lines across and down in bitmap pixels, each from the current position up to a
// point it leaves out, so that lines drawn one after the other join without drawing a pixel
// twice; the point becomes the current position.
class FramePen {
public:
    FramePen(CDC& dc, const PixelGrid& grid) : m_dc(dc), m_grid(grid) {}

    void MoveTo(int x, int y) {
        m_x = x;
        m_y = y;
    }
    void LinesTo(Colour colour, std::initializer_list<QPoint> points) {
        for (const QPoint& point : points) {
            const int stepX = (point.x() > m_x) - (point.x() < m_x);
            const int stepY = (point.y() > m_y) - (point.y() < m_y);
            while (m_x != point.x() || m_y != point.y()) {
                m_grid.Plot(m_dc, m_x, m_y, colour);
                m_x = m_x == point.x() ? m_x : m_x + stepX;
                m_y = m_y == point.y() ? m_y : m_y + stepY;
            }
        }
    }

private:
    CDC& m_dc;
    const PixelGrid& m_grid;
    int m_x = 0;
    int m_y = 0;
};

// White above and left, black below and right: the raised edge of a button.
void RaisedEdge(FramePen& pen, int w, int h) {
    pen.MoveTo(w - 1, 0);
    pen.LinesTo(kWhite, {{0, 0}, {0, h - 1}});
    pen.LinesTo(kBlack, {{w - 1, h - 1}, {w - 1, 0}});
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

// The scales the bitmaps are drawn for besides 1 (res/make-buttons.sh).
constexpr struct {
    qreal scale;
    const char* suffix;
} kDrawnScales[] = {{1.25, "@1.25x"}, {1.5, "@1.5x"}, {2, "@2x"}};

}  // namespace

QImage BitmapAt(int id, qreal ratio) {
    const QString base = QStringLiteral(":/BITMAP/%1").arg(id);
    QImage picture(base + QStringLiteral(".png"));
    if (picture.isNull() || ratio <= 1) {
        return picture;
    }
    const QSize size(static_cast<int>(std::ceil(picture.width() * ratio)),
                     static_cast<int>(std::ceil(picture.height() * ratio)));
    // The drawing for this scale, else the smallest larger one, else the largest.
    const auto* drawn = std::find_if(std::begin(kDrawnScales), std::end(kDrawnScales),
                                     [ratio](const auto& drawn) { return drawn.scale >= ratio; });
    if (drawn == std::end(kDrawnScales)) {
        --drawn;
    }
    const QImage larger(base + QString::fromLatin1(drawn->suffix) + QStringLiteral(".png"));
    if (!larger.isNull()) {
        picture = larger;
    }
    if (picture.size() != size) {
        picture = picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    picture.setDevicePixelRatio(ratio);
    return picture;
}

CImageButton::CImageButton(QWidget* parent) : QPushButton(parent) {
    setAutoDefault(false);  // Enter does not press the button that has the focus
}

bool CImageButton::SetImage(int id) {
    if (BitmapAt(id, 1).isNull()) {
        return false;
    }
    SetImage([id](qreal ratio) { return BitmapAt(id, ratio); });
    return true;
}

void CImageButton::SetImage(const QImage& picture) {
    SetImage([picture](qreal) { return picture; });
}

void CImageButton::SetImage(PictureAt picture) {
    const QImage atOne = picture ? picture(1) : QImage();
    m_picture = std::move(picture);
    m_deviceSize = QSize();
    for (ImageBuffer& buffer : m_deviceLooks) {
        buffer.Release();
    }
    if (atOne.isNull() || !BuildLooks(m_dc, atOne, atOne.size(), atOne.size())) {
        return;
    }
    resize(atOne.size());
    update();
}

const CDC& CImageButton::DeviceImage(Look look, QSize device, qreal ratio) {
    if (device != m_deviceSize || ratio != m_deviceRatio) {
        m_deviceSize = device;
        m_deviceRatio = ratio;
        const QSize logical(m_dc[Normal].Width(), m_dc[Normal].Height());
        const QImage picture = m_picture ? m_picture(ratio) : QImage();
        if (picture.isNull() || !BuildLooks(m_deviceLooks, picture, logical, device)) {
            for (ImageBuffer& buffer : m_deviceLooks) {
                buffer.Release();
            }
        }
    }
    return m_deviceLooks[look].Dc();
}

bool CImageButton::BuildLooks(Looks& looks, const QImage& picture, QSize logical,
                              QSize device) const {
    const int w = device.width();
    const int h = device.height();
    // A picture one pixel off (a half pixel rounded the other way) is drawn as it is: the
    // clear margin of every drawing takes the difference.
    QImage source = picture;
    if (std::abs(source.width() - w) > 1 || std::abs(source.height() - h) > 1) {
        source = source.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    source.setDevicePixelRatio(1);
    // Transparent parts show the button's face.
    QImage opaque(device, QImage::Format_BGR888);
    opaque.fill(palette().button().color());
    QPainter(&opaque).drawImage(0, 0, source);
    for (ImageBuffer& buffer : looks) {
        if (!buffer.Create(w, h)) {
            for (ImageBuffer& made : looks) {
                made.Release();
            }
            return false;
        }
        buffer.Dc().DrawBgrPixels(0, 0, w, h, opaque.constBits(),
                                  static_cast<std::size_t>(opaque.bytesPerLine()));
    }
    // The frames in bitmap pixels, `lw` by `lh`; each one is a window pixel wide.
    const int lw = logical.width();
    const int lh = logical.height();
    const int frame = std::max(1, w / std::max(1, lw));
    const PixelGrid grid(logical, device, frame);

    FramePen normal(looks[Normal].Dc(), grid);
    normal.MoveTo(lw - 2, 1);
    normal.LinesTo(kLightGrey, {{lw - 2, lh - 2}, {lw - 2, 0}});
    RaisedEdge(normal, lw, lh);

    FramePen focused(looks[Focused].Dc(), grid);
    focused.MoveTo(lw - 3, 1);
    focused.LinesTo(kLightGrey, {{lw - 3, lh - 3}, {lw - 3, 0}});
    RaisedEdge(focused, lw, lh);
    focused.MoveTo(lw - 2, 1);
    focused.LinesTo(kBlack, {{1, 1}, {1, lh - 2}, {lw - 2, lh - 2}, {lw - 2, 1}});

    CDC& pressedDc = looks[Pressed].Dc();
    pressedDc.BitBlt(grid.X(1), grid.Y(1), w, h, pressedDc, 0, 0);
    FramePen pressed(pressedDc, grid);
    pressed.MoveTo(lw - 1, 0);
    pressed.LinesTo(kLightGrey, {{0, 0}, {0, lh - 1}});
    pressed.LinesTo(kWhite, {{lw - 1, lh - 1}, {lw - 1, 0}});

    CDC& disabled = looks[Disabled].Dc();
    disabled.BitBlt(0, 0, w, h, looks[Normal].Dc(), 0, 0);
    Etch(disabled, w, h);
    return true;
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
    const qreal ratio = item.dc.device()->devicePixelRatioF();
    const DevicePixelPainting device(item.dc, item.item);
    const QSize size = device.Rect().size();
    // At ratio 1 the looks as built, whatever the button's size; on a scaled screen the
    // looks for the device pixels the button covers.
    const Look look = Choose(item);
    const CDC& image = qFuzzyCompare(ratio, 1.0) ? Image(look) : DeviceImage(look, size, ratio);
    const DibSection* bitmap = image.GetCurrentBitmap();
    if (bitmap == nullptr) {
        return;
    }
    item.dc.drawImage(QPoint(0, 0), bitmap->ToImage(), QRect(QPoint(0, 0), size));
}

void CImageButton::paintEvent(QPaintEvent* event) {
    if (!HasImage()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    DrawItem({painter, rect(), isDown(), hasFocus(), !isEnabled()});
}
