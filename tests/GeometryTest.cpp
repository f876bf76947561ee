#include <gtest/gtest.h>

#include "imaging/Adjustments.h"
#include "imaging/ConversionParams.h"
#include "imaging/Geometry.h"
#include "imaging/ImageBuffer.h"
#include "imaging/Picture.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

namespace {

bool Loads(CPicture& picture, const QImage& image, const char* format = "png") {
    const QByteArray bytes = Encode(image, format);
    return picture.LoadFromMemory(bytes.constData(), bytes.size());
}

// Close to the colour, allowing for scaling at the quarters' borders and JPEG noise.
::testing::AssertionResult Near(QRgb actual, QRgb expected) {
    const int d = std::abs(qRed(actual) - qRed(expected)) +
                  std::abs(qGreen(actual) - qGreen(expected)) +
                  std::abs(qBlue(actual) - qBlue(expected));
    if (d < 100) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << std::hex << "got " << actual << ", expected about " << expected;
}

constexpr QRgb kRed = 0xFFE60000;  // shades of the pattern's quarters
constexpr QRgb kGreen = 0xFF00E600;
constexpr QRgb kBlue = 0xFF0000E6;
constexpr QRgb kWhite = 0xFFE6E6E6;

}  // namespace

TEST(OutputSize, LongerSideBecomesTheTargetSize) {
    struct {
        int w, h, n, outW, outH;
    } const cases[] = {
        {1000, 750, 368, 368, 276}, {600, 800, 368, 276, 368},
        {500, 500, 368, 368, 368},  {1000, 667, 368, 368, 245},
        {1000, 333, 368, 368, 122}, {800, 600, 368, 368, 276},
        {600, 800, 368, 276, 368},  {100, 60, 3000, 3000, 1800},
        {1000, 1, 368, 368, 1},  // a side that truncates to nothing keeps one pixel
    };
    for (const auto& c : cases) {
        const OutputSize size = ComputeOutputSize(c.w, c.h, c.n);
        EXPECT_EQ(size.width, c.outW) << c.w << "x" << c.h;
        EXPECT_EQ(size.height, c.outH) << c.w << "x" << c.h;
    }
    EXPECT_EQ(ComputeOutputSize(0, 10, 368).width, 0);
}

TEST(QuarterTurn, TurnsClockwiseAndFillsTheWholeOutput) {
    CPicture picture;
    ASSERT_TRUE(Loads(picture, QuarterPattern(1000, 667)));
    picture.ExchangeSides();
    const OutputSize size = ComputeOutputSize(picture.Width(), picture.Height(), 368);
    ASSERT_EQ(size.width, 245);
    ASSERT_EQ(size.height, 368);

    ImageBuffer target;
    ASSERT_TRUE(target.Create(size.width, size.height));
    RotateQuarterTurn(target.Dc(), size.width, size.height, picture, Orientation::QuarterTurn);
    const QImage out = ToImage(target.Dc());
    EXPECT_TRUE(Near(out.pixel(10, 10), kBlue)) << "the bottom-left comes to the top-left";
    EXPECT_TRUE(Near(out.pixel(234, 10), kRed));
    EXPECT_TRUE(Near(out.pixel(234, 357), kGreen));
    EXPECT_TRUE(Near(out.pixel(10, 357), kWhite));
    for (int y = 0; y < size.height; y += 7) {
        ASSERT_NE(out.pixel(244, y), qRgb(0, 0, 0)) << "no black column, row " << y;
        ASSERT_NE(out.pixel(0, y), qRgb(0, 0, 0)) << "row " << y;
    }
}

TEST(QuarterTurn, DoesNothingWithoutItsFlagOrWithAMismatchedTarget) {
    CPicture picture;
    ASSERT_TRUE(Loads(picture, QuarterPattern(40, 30)));
    ImageBuffer target;
    ASSERT_TRUE(target.Create(30, 40));
    RotateQuarterTurn(target.Dc(), 30, 40, picture, Orientation::HalfTurn | Orientation::Mirror);
    EXPECT_EQ(ToImage(target.Dc()).pixel(5, 5), qRgb(0, 0, 0));
    RotateQuarterTurn(target.Dc(), 31, 40, picture, Orientation::QuarterTurn);
    EXPECT_EQ(ToImage(target.Dc()).pixel(5, 5), qRgb(0, 0, 0));
}

TEST(QuarterTurn, WithTheMirrorReflectsAboutTheMainDiagonal) {
    CPicture picture;
    ASSERT_TRUE(Loads(picture, QuarterPattern(80, 60)));
    picture.ExchangeSides();
    ImageBuffer target;
    ASSERT_TRUE(target.Create(60, 80));
    ConversionParams p;
    p.Orientation = 5;
    RotateQuarterTurn(target.Dc(), 60, 80, picture, p.Orientation);
    ApplyAdjustments(target.Dc(), p);
    const QImage out = ToImage(target.Dc());
    EXPECT_TRUE(Near(out.pixel(5, 5), kRed));
    EXPECT_TRUE(Near(out.pixel(55, 5), kBlue)) << "output (x, y) is input (y, x)";
    EXPECT_TRUE(Near(out.pixel(5, 75), kGreen));
    EXPECT_TRUE(Near(out.pixel(55, 75), kWhite));
}
