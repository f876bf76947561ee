// Runs once for each screen scale (tests/CMakeLists.txt sets QT_SCALE_FACTOR per run): the
// device-pixel ratio is fixed when the application starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

#include "platform/widgets/DialogTemplate.h"
#include "platform/widgets/FramedTextEdit.h"
#include "support/WindowTest.h"
#include "ui/HelpCards.h"
#include "ui/ImageButton.h"
#include "window/MainDlg.h"
#include "workflow/PreviewLayout.h"

namespace {

qreal Ratio() {
    return qApp->devicePixelRatio();
}

QRect BoundsWhere(const QImage& image, const std::function<bool(QRgb)>& matches) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (matches(image.pixel(x, y))) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

// The pixels of `image` that differ from `expected` within `area` (at the same places).
int DifferentPixels(const QImage& image, const QImage& expected, const QRect& area) {
    int different = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            different += image.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        }
    }
    return different;
}

class HiDpi : public WindowTest {};

}  // namespace

TEST_F(HiDpi, RunsAtTheScaleItWasStartedWith) {
    ASSERT_TRUE(qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) << "ctest sets it for each run";
    const double scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble();
    EXPECT_DOUBLE_EQ(Ratio(), scale);
}

TEST_F(HiDpi, ThePreviewShowsOnePicturePixelPerDevicePixel) {
    auto window = Start();
    window->resize(600 + 36, 400 + 36);  // the preview control 600 by 400 window pixels
    window->WaitForConversions();
    QWidget* control = ControlById(*window, 1000);
    ASSERT_EQ(control->size(), QSize(600, 400));
    const std::shared_ptr<const PreviewFrame> frame = window->Converter().Preview();
    ASSERT_EQ(QSize(frame->pictureWidth, frame->pictureHeight), QSize(368, 276));

    const QImage painted = control->grab().toImage();
    const QRgb grey = qRgb(128, 128, 128);
    const QRect picture = BoundsWhere(
        painted, [grey](QRgb pixel) { return pixel != grey && pixel != qRgb(0, 0, 0); });
    EXPECT_EQ(picture.size(), QSize(368, 276)) << "the picture's own size in device pixels";
    // Centred in the control's device pixels, give or take the half of a rounding.
    EXPECT_NEAR(picture.center().x(), painted.width() / 2.0, 1.0);
    EXPECT_NEAR(picture.center().y(), painted.height() / 2.0, 1.0);
    const QImage shown = painted.copy(picture).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(DifferentPixels(shown, frame->image.convertToFormat(QImage::Format_RGB32),
                              QRect(0, 0, 368, 276)),
              0)
        << "not one pixel resampled";
    EXPECT_EQ(painted.pixel(picture.left() - 1, picture.top()), grey);
    EXPECT_EQ(painted.pixel(0, 0), qRgb(0, 0, 0)) << "the border";
}

TEST_F(HiDpi, ThePreviewScrollsInDevicePixels) {
    auto window = Start();
    window->resize(600 + 36, 400 + 36);
    window->OnParamChange(1000, kSizeChanged);  // a box of 1000 by 750 picture pixels
    window->WaitForConversions();
    auto* across = qobject_cast<QScrollBar*>(ControlById(*window, 1002));
    auto* down = qobject_cast<QScrollBar*>(ControlById(*window, 1003));
    // The control at (10, 10) covers 600 and 400 times the ratio in device pixels at every
    // ratio tried here.
    const int rangeAcross = 1000 - qRound(600 * Ratio());
    const int rangeDown = 750 - qRound(400 * Ratio());
    EXPECT_EQ(across->isVisibleTo(window.get()), rangeAcross > 0);
    EXPECT_EQ(down->isVisibleTo(window.get()), rangeDown > 0);
    EXPECT_EQ(across->maximum(), std::max(rangeAcross, 0));
    EXPECT_EQ(down->maximum(), std::max(rangeDown, 0));
    if (rangeAcross > 0) {
        window->OnHScroll(ScrollCode::ThumbTrack, rangeAcross, across);
        EXPECT_EQ(window->ScrollX(), rangeAcross - 1);
    }
}

// The looks are made at the screen's ratio from the drawing for it: every device pixel inside
// the frame is the drawing's own, and the frame lines are whole device pixels, a window pixel
// wide.
TEST_F(HiDpi, ImageButtonsAreDrawnForTheDevicePixelRatio) {
    const struct {
        const char* name;
        PictureAt picture;
    } buttons[] = {{"save", [](qreal ratio) { return BitmapAt(137, ratio); }},
                   {"toggle", [](qreal ratio) { return BitmapAt(141, ratio); }},
                   {"help card", HelpCard(134)}};
    QWidget host;
    host.resize(400, 200);
    int x = 7;  // odd places: half device pixels at 1.5
    std::vector<CImageButton*> made;
    for (const auto& button : buttons) {
        auto* imageButton = new CImageButton(&host);
        imageButton->SetImage(button.picture);
        imageButton->move(x, 7);
        x += imageButton->width() + 3;
        made.push_back(imageButton);
    }
    host.show();
    const int frame = std::max(1, static_cast<int>(Ratio()));
    for (std::size_t i = 0; i < made.size(); ++i) {
        const QImage painted = made[i]->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage drawing = buttons[i].picture(Ratio()).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(painted.width(), qRound(made[i]->width() * Ratio())) << buttons[i].name;
        EXPECT_LE(std::abs(drawing.width() - painted.width()), 1) << buttons[i].name;
        const QRect inside = painted.rect().adjusted(3 * frame, 3 * frame, -3 * frame, -3 * frame);
        EXPECT_EQ(DifferentPixels(painted, drawing, inside), 0) << buttons[i].name;
        const int middle = painted.height() / 2;
        for (int column = 0; column < frame; ++column) {
            EXPECT_EQ(painted.pixel(column, middle), qRgb(255, 255, 255)) << buttons[i].name;
            EXPECT_EQ(painted.pixel(painted.width() - 1 - column, middle), qRgb(0, 0, 0))
                << buttons[i].name;
        }
        EXPECT_NE(painted.pixel(frame, middle), qRgb(255, 255, 255))
            << buttons[i].name << ": the white edge is a window pixel wide";
    }
}

TEST_F(HiDpi, HelpCardsWriteTheirWordsAtTheRatio) {
    const QImage card = HelpCard(134)(Ratio());
    ASSERT_FALSE(card.isNull());
    EXPECT_EQ(card.size(), QSize(static_cast<int>(std::ceil(155 * Ratio())),
                                 static_cast<int>(std::ceil(85 * Ratio()))));
    EXPECT_DOUBLE_EQ(card.devicePixelRatio(), Ratio());
    // The title "Vistrane" right of the sign, in its dark blue, where the drawing has none.
    const QImage art = BitmapAt(134, Ratio());
    const QRect title(qRound(50 * Ratio()), qRound(28 * Ratio()), qRound(60 * Ratio()),
                      qRound(14 * Ratio()));
    EXPECT_EQ(BoundsWhere(art.copy(title), [](QRgb pixel) { return qBlue(pixel) < 120; }), QRect());
    EXPECT_GT(BoundsWhere(card.copy(title), [](QRgb pixel) { return qBlue(pixel) < 120; }).width(),
              title.width() / 2);
}

// Between the window around the box and its white inside there is the frame, on every side,
// wherever the box stands.
TEST_F(HiDpi, TextBoxesKeepTheirFrameOnEverySide) {
    QWidget host;
    host.resize(420, 120);
    std::vector<FramedTextEdit*> boxes;
    for (int i = 0; i < 4; ++i) {
        auto* box = new FramedTextEdit(QString(), &host);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setGeometry(10 + i * 100, 10 + i, 80, 40 + i);
        boxes.push_back(box);
    }
    host.show();
    const QImage painted = host.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    for (FramedTextEdit* box : boxes) {
        const QRgb frameColour = box->FrameColour().rgb();
        const QRect inside = box->geometry().adjusted(10, 10, -10, -10);
        const QPoint centre(qRound(inside.center().x() * Ratio()),
                            qRound(inside.center().y() * Ratio()));
        ASSERT_EQ(painted.pixel(centre), white);
        // From the centre outwards: white, then the frame, then the window.
        const QPoint directions[] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
        for (const QPoint& step : directions) {
            QPoint at = centre;
            while (painted.rect().contains(at) && painted.pixel(at) == white) {
                at += step;
            }
            EXPECT_EQ(painted.pixel(at), frameColour)
                << "box at " << box->y() << ", going " << step.x() << "," << step.y();
        }
    }
}
