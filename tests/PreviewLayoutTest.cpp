#include <gtest/gtest.h>

#include <optional>

#include "workflow/PreviewLayout.h"

TEST(PreviewLayoutTest, CentresASmallBoxAndScrollsALargeOne) {
    PreviewLayout layout = LayOutPreview({600, 400}, 368, 276, 368, 276, 0, 0);
    EXPECT_FALSE(layout.HorizontalShown());
    EXPECT_FALSE(layout.VerticalShown());
    EXPECT_EQ(layout.destination, QRect(116, 62, 368, 276)) << "drawn 1:1";

    layout = LayOutPreview({600, 400}, 368, 480, 368, 276, 0, 0);
    EXPECT_TRUE(layout.VerticalShown());
    EXPECT_EQ(layout.verticalRange, 80);
    EXPECT_EQ(layout.destination, QRect(116, 102, 368, 276)) << "1:1, centred in the box";

    layout = LayOutPreview({600, 400}, 1000, 750, 1000, 750, 50, 20);
    EXPECT_EQ(layout.horizontalRange, 400);
    EXPECT_EQ(layout.verticalRange, 350);
    EXPECT_EQ(layout.destination, QRect(-50, -20, 1000, 750));

    layout = LayOutPreview({600, 400}, 368, 490, 276, 368, 7, 9);
    EXPECT_EQ(layout.box, QSize(490, 368)) << "portrait pictures turn the box";
    EXPECT_EQ(layout.scrollX, 0) << "a hidden bar resets its offset";
    EXPECT_EQ(layout.destination, QRect(162, 16, 276, 368));

    layout = LayOutPreview({600, 400}, 368, 480, 0, 0, 0, 0);
    EXPECT_EQ(layout.destination.height(), 1) << "no picture yet: nothing to speak of";
}

TEST(PreviewLayoutTest, ScrollCodesMoveByLinesPagesAndTheThumb) {
    EXPECT_EQ(ScrollTo(ScrollCode::LineDown, 0, 100, 400), 110);
    EXPECT_EQ(ScrollTo(ScrollCode::LineUp, 0, 5, 400), 0);
    EXPECT_EQ(ScrollTo(ScrollCode::PageDown, 0, 100, 400), 130);
    EXPECT_EQ(ScrollTo(ScrollCode::PageUp, 0, 100, 400), 70);
    EXPECT_EQ(ScrollTo(ScrollCode::Top, 0, 100, 400), 90);
    EXPECT_EQ(ScrollTo(ScrollCode::Bottom, 0, 100, 400), 110);
    EXPECT_EQ(ScrollTo(ScrollCode::ThumbTrack, 400, 100, 400), 399) << "one short of the maximum";
    EXPECT_EQ(ScrollTo(ScrollCode::ThumbPosition, 50, 100, 400), std::nullopt);
    EXPECT_EQ(ScrollTo(ScrollCode::EndScroll, 50, 100, 400), std::nullopt);
    EXPECT_EQ(ScrollTo(42, 50, 100, 400), 100);
}
