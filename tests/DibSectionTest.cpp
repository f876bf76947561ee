#include <gtest/gtest.h>

#include "platform/emulation/DibSection.h"

TEST(DibSection, RowsArePaddedToFourBytesAndStoredBottomUp) {
    EXPECT_EQ(DibSection::StrideFor(1), 4);
    EXPECT_EQ(DibSection::StrideFor(3), 12);
    EXPECT_EQ(DibSection::StrideFor(4), 12);

    auto section = DibSection::Create(3, 2);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->SizeBytes(), 24u);
    for (std::size_t i = 0; i < section->SizeBytes(); ++i) {
        ASSERT_EQ(section->Bits()[i], 0) << "a fresh section is black";
    }
    section->Row(0)[0] = 7;  // top row
    EXPECT_EQ(section->Bits()[12], 7) << "the top row is the last row in memory";
}

TEST(DibSection, RefusesSizesItCannotHold) {
    EXPECT_EQ(DibSection::Create(0, 5), nullptr);
    EXPECT_EQ(DibSection::Create(5, -1), nullptr);
    EXPECT_EQ(DibSection::Create(100000, 100000), nullptr);
}
