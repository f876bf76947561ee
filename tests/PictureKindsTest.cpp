#include <gtest/gtest.h>

#include <vector>

#include "support/BufferImages.h"
#include "support/Bytes.h"
#include "support/TestFiles.h"

// Kinds of pictures the libraries' own test files hold: a 16-bit PNG with a transparent
// colour, TIFFs of old-style JPEG or of samples libtiff does not read.

namespace {

constexpr QSize kSize(40, 30);

// Where each quarter of a picture of kSize is probed, clear of the edges the scaling blurs.
const QPoint kTopLeft(10, 7), kTopRight(30, 7), kBottomLeft(10, 22), kBottomRight(30, 22);

testing::AssertionResult Near(QRgb actual, QRgb expected, int tolerance) {
    if (std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
        std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
        std::abs(qBlue(actual) - qBlue(expected)) <= tolerance) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << "(" << qRed(actual) << ", " << qGreen(actual) << ", " << qBlue(actual)
           << ") instead of (" << qRed(expected) << ", " << qGreen(expected) << ", "
           << qBlue(expected) << ")";
}

// A picture of kSize in four colours, one to a quarter.
QImage Quarters(QImage::Format format, QRgba64 topLeft, QRgba64 topRight, QRgba64 bottomLeft,
                QRgba64 bottomRight) {
    QImage image(kSize, format);
    for (int y = 0; y < kSize.height(); ++y) {
        for (int x = 0; x < kSize.width(); ++x) {
            const bool right = x >= kSize.width() / 2;
            const QRgba64 colour = y < kSize.height() / 2 ? (right ? topRight : topLeft)
                                                          : (right ? bottomRight : bottomLeft);
            image.setPixelColor(x, y, QColor::fromRgba64(colour));
        }
    }
    return image;
}

// A tRNS chunk of an RGB PNG: the transparent colour's three samples.
QByteArray TransparentColour(QRgba64 colour) {
    QByteArray data;
    PutWord(data, colour.red());
    PutWord(data, colour.green());
    PutWord(data, colour.blue());
    return data;
}

QByteArray Samples(const std::vector<double>& values, int bits, bool floating) {
    QByteArray bytes;
    for (const double value : values) {
        if (floating && bits == 64) {
            bytes.append(reinterpret_cast<const char*>(&value), 8);
        } else if (floating) {
            const float single = float(value);
            bytes.append(reinterpret_cast<const char*>(&single), 4);
        } else {
            PutLe32(bytes, quint32(value * 4294967295.0));
        }
    }
    return bytes;
}

// Grey from black to white across, repeated on every row of a picture of 8 × 4.
std::vector<double> GreyRamp(int samples) {
    std::vector<double> values;
    for (int pixel = 0; pixel < 32; ++pixel) {
        const double grey = (pixel % 8) / 7.0;
        values.insert(values.end(), std::size_t(samples), grey);
    }
    return values;
}

}  // namespace

TEST(PictureKinds, A16BitRgbPngShowsItsTransparentColourAsBlack) {
    // The transparent colour, and one that differs from it only in the low bits of blue.
    const QRgba64 key = QRgba64::fromRgba64(0x1234, 0x5678, 0x9ABC, 0xFFFF);
    const QRgba64 nearly = QRgba64::fromRgba64(0x1234, 0x5678, 0x9ABD, 0xFFFF);
    const QRgba64 red = QRgba64::fromRgba64(0xFFFF, 0, 0, 0xFFFF);
    const QRgba64 blue = QRgba64::fromRgba64(0, 0, 0xFFFF, 0xFFFF);
    const QByteArray wide = Encode(Quarters(QImage::Format_RGBX64, red, key, nearly, blue), "png");
    ASSERT_EQ(wide[24], 16) << "Qt writes 16-bit samples";
    ASSERT_EQ(wide[25], 2) << "of RGB without alpha";
    // The same in 8 bits, whose transparency Qt reads right: 0x9A and 0x9B are told apart.
    const QRgba64 key8 = QRgba64::fromRgba64(0x12, 0x56, 0x9A, 0xFF);
    const QImage narrow =
        Quarters(QImage::Format_RGB888, red, QRgba64::fromRgba64(0x1212, 0x5656, 0x9A9A, 0xFFFF),
                 QRgba64::fromRgba64(0x1212, 0x5656, 0x9B9B, 0xFFFF), blue);

    const QRgb black = qRgb(0, 0, 0);
    const QRgb shown = qRgb(0x12, 0x56, 0x9A);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool fromMemory;
        QRgb topRight;
        QRgb bottomLeft;
    };
    const Case cases[] = {
        {"one tRNS chunk", WithPngChunk(wide, "tRNS", TransparentColour(key)), false, black, shown},
        {"the same from memory", WithPngChunk(wide, "tRNS", TransparentColour(key)), true, black,
         shown},
        // libpng takes the first and passes over the second, which names red.
        {"a second tRNS chunk",
         WithPngChunk(WithPngChunk(wide, "tRNS", TransparentColour(red)), "tRNS",
                      TransparentColour(key)),
         false, black, shown},
        // libpng passes over a chunk of a wrong CRC, and takes the next.
        {"a damaged tRNS chunk before a whole one",
         WithPngChunk(WithPngChunk(wide, "tRNS", TransparentColour(key)), "tRNS",
                      TransparentColour(red), false),
         false, black, shown},
        {"a damaged tRNS chunk alone", WithPngChunk(wide, "tRNS", TransparentColour(key), false),
         false, shown, shown},
        {"8-bit samples", WithPngChunk(Encode(narrow, "png"), "tRNS", TransparentColour(key8)),
         false, black, qRgb(0x12, 0x56, 0x9B)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage drawn;
        ASSERT_EQ(LoadAndDraw(c.bytes, kSize, &drawn, nullptr, c.fromMemory), PictureDefect::None);
        EXPECT_TRUE(Near(drawn.pixel(kTopLeft), qRgb(255, 0, 0), 1));
        EXPECT_TRUE(Near(drawn.pixel(kTopRight), c.topRight, 1));
        EXPECT_TRUE(Near(drawn.pixel(kBottomLeft), c.bottomLeft, 1));
        EXPECT_TRUE(Near(drawn.pixel(kBottomRight), qRgb(0, 0, 255), 1));
    }
}

TEST(PictureKinds, OldStyleJpegInTiffIsDecoded) {
    const QImage pattern = QuarterPattern(kSize.width(), kSize.height());
    struct Case {
        const char* what;
        QByteArray jpeg;
        int h, v;
    };
    const Case cases[] = {
        {"chroma at half the resolution (Qt's JPEG)", Encode(pattern, "jpeg", 95), 2, 2},
        {"chroma at half the resolution across",
         EncodeWithCjpeg(pattern, {"-quality", "95", "-sample", "2x1"}), 2, 1},
        {"chroma at full resolution",
         EncodeWithCjpeg(pattern, {"-quality", "95", "-sample", "1x1"}), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.jpeg.isEmpty());
        QImage drawn;
        ASSERT_EQ(LoadAndDraw(OldStyleJpegTiff(c.jpeg, kSize.width(), kSize.height(), c.h, c.v),
                              kSize, &drawn),
                  PictureDefect::None);
        // The quarters' colours shade off by up to 40 across; JPEG blurs their borders.
        EXPECT_TRUE(Near(drawn.pixel(kTopLeft), pattern.pixel(kTopLeft), 24));
        EXPECT_TRUE(Near(drawn.pixel(kTopRight), pattern.pixel(kTopRight), 24));
        EXPECT_TRUE(Near(drawn.pixel(kBottomLeft), pattern.pixel(kBottomLeft), 24));
        EXPECT_TRUE(Near(drawn.pixel(kBottomRight), pattern.pixel(kBottomRight), 24));
    }
}

TEST(PictureKinds, TiffSamplesLibtiffDoesNotReadAreAKindNotRead) {
    struct Case {
        const char* what;
        QByteArray bytes;
        PictureDefect expected;
    };
    const Case cases[] = {
        {"grey, 64-bit floating point", PlainTiff(8, 4, 1, 64, 3, Samples(GreyRamp(1), 64, true)),
         PictureDefect::UnreadKind},
        {"RGB, 64-bit floating point", PlainTiff(8, 4, 3, 64, 3, Samples(GreyRamp(3), 64, true)),
         PictureDefect::UnreadKind},
        {"grey, 32-bit floating point", PlainTiff(8, 4, 1, 32, 3, Samples(GreyRamp(1), 32, true)),
         PictureDefect::UnreadKind},
        {"grey, 32-bit integers", PlainTiff(8, 4, 1, 32, 1, Samples(GreyRamp(1), 32, false)),
         PictureDefect::UnreadKind},
        {"a compression libtiff does not know",
         PlainTiff(8, 4, 3, 8, 1, QByteArray(96, '\x80'), 34712), PictureDefect::UnreadKind},
        // Damage stays damage, and what Qt reads is read.
        {"LZW that is none", PlainTiff(8, 4, 3, 8, 1, QByteArray(96, '\x80'), 5),
         PictureDefect::DamagedData},
        {"RGB, 32-bit floating point", PlainTiff(8, 4, 3, 32, 3, Samples(GreyRamp(3), 32, true)),
         PictureDefect::None},
        {"RGBA, 32-bit floating point", PlainTiff(8, 4, 4, 32, 3, Samples(GreyRamp(4), 32, true)),
         PictureDefect::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage drawn;
        EXPECT_EQ(LoadAndDraw(c.bytes, QSize(8, 4), &drawn), c.expected);
        if (c.expected == PictureDefect::None) {
            EXPECT_TRUE(Near(drawn.pixel(0, 1), qRgb(0, 0, 0), 1));
            EXPECT_TRUE(Near(drawn.pixel(7, 1), qRgb(255, 255, 255), 1));
        }
    }
}
