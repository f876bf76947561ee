#include "HelpCards.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "PanelControls.h"

namespace {

struct Card {
    int id;
    const char* title;
    const char* line1;
    const char* line2;
};

constexpr Card kCards[] = {
    {PanelControls::kPictureProgram, "Vistrane", "Grösse, Qualität,", "Farben einstellen"},
    {PanelControls::kPictureFolders, "Ganze Ordner", "auf einmal", "umwandeln"},
    {PanelControls::kPictureScripts, "plenmar-convert", "Umwandeln aus", "Skripten"},
};

const Card* CardOf(int id) {
    for (const Card& card : kCards) {
        if (card.id == id) {
            return &card;
        }
    }
    return nullptr;
}

// Where the words go on a card of 155 by 85 pixels: base lines, and the room right of the sign.
constexpr int kTextLeft = 50;
constexpr int kTextRight = 151;

QFont CardFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Writes `text` with its base line at `at`, made smaller until it fits into `width` when a
// font wider than ours stands in.
void Write(QPainter& painter, const QString& text, QFont font, QColor colour, QPoint at,
           int width) {
    while (font.pixelSize() > 6 && QFontMetrics(font).horizontalAdvance(text) > width) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(at, text);
}

QImage DrawCard(const Card& card, qreal ratio) {
    const QImage art = BitmapAt(card.id, ratio);
    if (art.isNull()) {
        return art;
    }
    QImage picture = art.convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(art.devicePixelRatio());
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Write(painter, QStringLiteral("Hilfe"), CardFont(10, true), Qt::white, {8, 14}, 60);
    QFont title = CardFont(12, true);
    title.setStretch(QFont::Condensed);
    const int width = kTextRight - kTextLeft;
    Write(painter, QString::fromUtf8(card.title), title, QColor(0x1d, 0x35, 0x57), {kTextLeft, 40},
          width);
    const QColor ink(0x40, 0x40, 0x40);
    Write(painter, QString::fromUtf8(card.line1), CardFont(10, false), ink, {kTextLeft, 56}, width);
    Write(painter, QString::fromUtf8(card.line2), CardFont(10, false), ink, {kTextLeft, 69}, width);
    return picture;
}

}  // namespace

PictureAt HelpCard(int id) {
    return [id](qreal ratio) {
        const Card* card = CardOf(id);
        return card != nullptr ? DrawCard(*card, ratio) : QImage();
    };
}
