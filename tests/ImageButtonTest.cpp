#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "support/BufferImages.h"
#include "ui/ImageButton.h"

// The four looks of an image button, pixel by pixel, from a 7 x 6 picture of colour a with one
// pixel b: w white, k black, g light grey; the disabled look has W for a pixel like the one
// visited before it (column by column) and G for a change.
TEST(ImageButton, BuildsTheFourLooksWithTheirFrames) {
    QImage picture(7, 6, QImage::Format_RGB888);
    picture.fill(QColor(10, 20, 30));
    picture.setPixelColor(3, 3, QColor(200, 100, 50));
    CImageButton button;
    button.SetImage(picture);
    EXPECT_EQ(button.size(), QSize(7, 6));
    const struct {
        CImageButton::Look look;
        const char* rows[6];
    } looks[] = {
        {CImageButton::Normal, {"wwwwwww", "waaaagk", "waaaagk", "waabagk", "waaaagk", "kkkkkkk"}},
        {CImageButton::Focused, {"wwwwwww", "wkkkkkk", "wkaagkk", "wkabgkk", "wkkkkkk", "kkkkkkk"}},
        {CImageButton::Pressed, {"ggggggg", "gaaaaaw", "gaaaaaw", "gaaaaaw", "gaaabaw", "wwwwwww"}},
        {CImageButton::Disabled,
         {"GGGGGGG", "WGGGGGG", "WWWWWWW", "WWWGWWW", "WWWGWWW", "GGGGGGW"}},
    };
    const auto colour = [](char c) {
        switch (c) {
            case 'a':
                return qRgb(10, 20, 30);
            case 'b':
                return qRgb(200, 100, 50);
            case 'k':
                return qRgb(0, 0, 0);
            case 'g':
            case 'G':
                return qRgb(0xC0, 0xC0, 0xC0);
            default:
                return qRgb(255, 255, 255);
        }
    };
    for (const auto& look : looks) {
        const QImage image = ToImage(button.Image(look.look));
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 7; ++x) {
                EXPECT_EQ(image.pixel(x, y), colour(look.rows[y][x]))
                    << "look " << look.look << " at " << x << "," << y;
            }
        }
    }

    // Pressed before focused before disabled; what is chosen is what is painted.
    QImage painted(7, 6, QImage::Format_RGB888);
    const struct {
        bool selected, focus, disabled;
        CImageButton::Look look;
    } states[] = {{true, true, true, CImageButton::Pressed},
                  {false, true, true, CImageButton::Focused},
                  {false, false, true, CImageButton::Disabled},
                  {false, false, false, CImageButton::Normal}};
    for (const auto& state : states) {
        QPainter painter(&painted);
        const DrawItemStruct item{
            painter, {0, 0, 7, 6}, state.selected, state.focus, state.disabled};
        EXPECT_EQ(CImageButton::Choose(item), state.look);
        button.DrawItem(item);
        painter.end();
        EXPECT_EQ(painted, ToImage(button.Image(state.look))) << state.look;
    }
    EXPECT_FALSE(button.SetImage(4711)) << "no such bitmap";
}
