#include <gtest/gtest.h>

#include <vector>

#include "imaging/ImageBuffer.h"
#include "support/BufferImages.h"

TEST(DrawingContext, RectangleHasBlackOutlineAndWhiteInside) {
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(5, 4));
    ASSERT_TRUE(buffer.Dc().Rectangle(0, 0, 5, 4));
    const QImage image = ToImage(buffer.Dc());
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            const bool edge = x == 0 || y == 0 || x == 4 || y == 3;
            EXPECT_EQ(image.pixel(x, y), edge ? qRgb(0, 0, 0) : qRgb(255, 255, 255))
                << x << "," << y;
        }
    }
}

TEST(DrawingContext, WholeBitmapCopiesRunTopRowFirstWithTheStoredStride) {
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(3, 2));
    buffer.Dc().SetPixel(0, 0, Rgb(10, 20, 30));  // top-left
    buffer.Dc().SetPixel(2, 1, Rgb(40, 50, 60));  // bottom-right

    std::vector<std::uint8_t> copy(24, 0xEE);
    ASSERT_EQ(buffer.Dc().GetBits(copy.data(), copy.size()), 24u);
    EXPECT_EQ(copy[0], 30);  // B of the top-left pixel first
    EXPECT_EQ(copy[2], 10);
    EXPECT_EQ(copy[12 + 6], 60);  // second row starts after a 12-byte stride

    copy[3] = 99;  // blue of the top row's second pixel
    ASSERT_EQ(buffer.Dc().SetBits(copy.data(), copy.size()), 24u);
    EXPECT_EQ(buffer.Dc().GetPixel(1, 0), Rgb(0, 0, 99));
    EXPECT_EQ(buffer.Dc().GetPixel(3, 0), -1);

    std::vector<std::uint8_t> small(13);
    EXPECT_EQ(buffer.Dc().GetBits(small.data(), small.size()), 12u) << "only whole rows";
}

TEST(DrawingContext, BlockCopyIsClippedOnBothSides) {
    ImageBuffer from;
    ImageBuffer to;
    ASSERT_TRUE(from.Create(4, 4));
    ASSERT_TRUE(to.Create(4, 4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            from.Dc().SetPixel(x, y, Rgb(x * 10, y * 10, 1));
        }
    }
    ASSERT_TRUE(to.Dc().BitBlt(-1, 2, 10, 10, from.Dc(), 0, 0));
    EXPECT_EQ(to.Dc().GetPixel(0, 2), Rgb(10, 0, 1));
    EXPECT_EQ(to.Dc().GetPixel(2, 3), Rgb(30, 10, 1));
    EXPECT_EQ(to.Dc().GetPixel(3, 3), Rgb(0, 0, 0)) << "source ended: nothing copied there";
    EXPECT_EQ(to.Dc().GetPixel(0, 1), Rgb(0, 0, 0));

    CDC empty;
    EXPECT_FALSE(empty.BitBlt(0, 0, 1, 1, from.Dc(), 0, 0));
    EXPECT_FALSE(empty.Rectangle(0, 0, 2, 2));
}

TEST(DrawingContext, StretchCopyTakesTheNearestPixel) {
    ImageBuffer from;
    ImageBuffer to;
    ASSERT_TRUE(from.Create(2, 1));
    ASSERT_TRUE(to.Create(4, 2));
    from.Dc().SetPixel(0, 0, Rgb(255, 0, 0));
    from.Dc().SetPixel(1, 0, Rgb(0, 0, 255));
    ASSERT_TRUE(to.Dc().StretchBlt(0, 0, 4, 2, from.Dc(), 0, 0, 2, 1));
    EXPECT_EQ(to.Dc().GetPixel(1, 1), Rgb(255, 0, 0));
    EXPECT_EQ(to.Dc().GetPixel(2, 0), Rgb(0, 0, 255));
    EXPECT_FALSE(to.Dc().StretchBlt(0, 0, 0, 2, from.Dc(), 0, 0, 2, 1));
}

TEST(DrawingContext, LinesLeaveOutTheirEndPointAndJoin) {
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(5, 4));
    CDC& dc = buffer.Dc();
    dc.SetPenColour(Rgb(255, 255, 255));
    dc.MoveTo(4, 0);
    ASSERT_TRUE(dc.LineTo(0, 0));  // right to left
    ASSERT_TRUE(dc.LineTo(0, 3));  // down from the corner the last line left out
    dc.MoveTo(1, 1);
    ASSERT_TRUE(dc.LineTo(4, 4));        // a diagonal, clipped at the bottom
    const char* expected[] = {"WWWWW",   //
                              "WW...",   //
                              "W.W..",   //
                              "...W."};  // (0, 3) ends the second line: left out
    const QImage image = ToImage(dc);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(image.pixel(x, y) == qRgb(255, 255, 255), expected[y][x] == 'W')
                << x << "," << y;
        }
    }
    CDC empty;
    EXPECT_FALSE(empty.LineTo(1, 1));
}

TEST(DrawingContext, BlockCopyOntoItselfShiftedDownKeepsEveryRow) {
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(3, 3));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            buffer.Dc().SetPixel(x, y, Rgb(x * 10, y * 10, 5));
        }
    }
    ASSERT_TRUE(buffer.Dc().BitBlt(1, 1, 3, 3, buffer.Dc(), 0, 0));
    EXPECT_EQ(buffer.Dc().GetPixel(2, 2), Rgb(10, 10, 5)) << "the source's (1, 1), not a copy";
    EXPECT_EQ(buffer.Dc().GetPixel(1, 2), Rgb(0, 10, 5));
    EXPECT_EQ(buffer.Dc().GetPixel(0, 0), Rgb(0, 0, 5)) << "outside the copy";
}
