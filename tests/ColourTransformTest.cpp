#include <gtest/gtest.h>

#include <QColorSpace>
#include <QImage>
#include <algorithm>
#include <string>

#include "imaging/codecs/ColourTransform.h"
#include "support/TestFiles.h"

namespace {

// Every 15th code of each channel, and the codes at both ends, one pixel each; alpha varies
// where the form has it.
QImage Swatches(QImage::Format format, const QColorSpace& space) {
    QImage image(18 * 18, 18, format);
    const bool opaque = format == QImage::Format_RGB32;
    for (int y = 0; y < 18; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            row[x] = qRgba(std::min(255, 15 * (x / 18)), std::min(255, 15 * (x % 18)),
                           std::min(255, 15 * y), opaque ? 255 : 37 + x % 200);
        }
    }
    image.setColorSpace(space);
    return image;
}

int LargestDifference(const QImage& a, const QImage& b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

}  // namespace

TEST(ColourTransform, MatchesQtsConversionWithinOneStep) {
    const struct {
        const char* name;
        QColorSpace space;
    } cases[] = {
        {"Adobe RGB of icc-profiles-free", QColorSpace::fromIccProfile(AdobeRgbProfile())},
        {"Qt's Adobe RGB", QColorSpace(QColorSpace::AdobeRgb)},
        {"Display P3", QColorSpace(QColorSpace::DisplayP3)},
        {"ProPhoto RGB (gamma 1.8, far beyond sRGB)", QColorSpace(QColorSpace::ProPhotoRgb)},
    };
    for (const auto& c : cases) {
        if (!c.space.isValid()) {
            continue;  // no icc-profiles-free
        }
        // Through the profile's bytes, as a decoder hands it over.
        const QColorSpace space = QColorSpace::fromIccProfile(c.space.iccProfile());
        for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
            const std::string name =
                std::string(c.name) + (format == QImage::Format_RGB32 ? ", opaque" : ", alpha");
            const QImage original = Swatches(format, space);
            const QImage expected = original.convertedToColorSpace(QColorSpace::SRgb);
            QImage inPlace = original;
            ASSERT_TRUE(ConvertToSRgbInPlace(inPlace)) << name;
            EXPECT_LE(LargestDifference(inPlace, expected), 1) << name;
            EXPECT_EQ(inPlace.colorSpace(), QColorSpace(QColorSpace::SRgb)) << name;
            bool alphaKept = true;
            for (int x = 0; x < original.width(); ++x) {
                alphaKept =
                    alphaKept && qAlpha(inPlace.pixel(x, 3)) == qAlpha(original.pixel(x, 3));
            }
            EXPECT_TRUE(alphaKept) << name;
            EXPECT_EQ(qRed(original.pixel(0, 0)), 0) << name << ": the source stays as it was";

            const QImage packed = ToSRgbInBgrOrder(original);
            if (format != QImage::Format_RGB32) {
                EXPECT_TRUE(packed.isNull()) << name << ": alpha is not dropped here";
                continue;
            }
            ASSERT_EQ(packed.format(), QImage::Format_BGR888) << name;
            EXPECT_EQ(packed.convertToFormat(QImage::Format_RGB32), inPlace) << name;
        }
    }
}

TEST(ColourTransform, LeavesWhatIsNotItsBusinessAlone) {
    const QColorSpace p3(QColorSpace::DisplayP3);
    const struct {
        const char* name;
        QImage image;
    } cases[] = {
        {"no colour space", Swatches(QImage::Format_RGB32, QColorSpace())},
        {"sRGB", Swatches(QImage::Format_RGB32, QColorSpace(QColorSpace::SRgb))},
        {"premultiplied", Swatches(QImage::Format_ARGB32_Premultiplied, p3)},
        {"24 bits", Swatches(QImage::Format_RGB32, p3).convertToFormat(QImage::Format_RGB888)},
        {"grey", Swatches(QImage::Format_RGB32, p3).convertToFormat(QImage::Format_Grayscale8)},
    };
    for (const auto& c : cases) {
        QImage image = c.image;
        EXPECT_FALSE(ConvertToSRgbInPlace(image)) << c.name;
        EXPECT_EQ(image, c.image) << c.name;
        EXPECT_EQ(image.colorSpace(), c.image.colorSpace()) << c.name;
        EXPECT_TRUE(ToSRgbInBgrOrder(c.image).isNull()) << c.name;
    }
}
