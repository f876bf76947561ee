#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegFileWriter.h"
#include "imaging/QualityFit.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

TEST(QualityFit, FindsTheHighestQualityThatFitsAsASearchByHandWould) {
    // The real encoder's sizes, and made-up ones that fall where a JPEG's sometimes do.
    ImageBuffer buffer;
    FillBuffer(buffer, Busy(97, 61));
    JpegFileWriter writer;
    std::vector<long long> real;
    for (int quality = 0; quality <= 100; ++quality) {
        QByteArray out;
        writer.SetQuality(quality);
        ASSERT_EQ(writer.WriteMemory(buffer.Section()->Bits(), 97, 61, out), JpegFileWriter::Ok);
        real.push_back(out.size());
    }
    std::vector<long long> dip(101);
    for (int quality = 0; quality <= 100; ++quality) {
        dip[quality] = 1000 + 10 * quality - (quality == 60 ? 200 : 0);
    }
    const struct {
        const char* name;
        const std::vector<long long>& sizes;
        int upper;
        long long limit;
    } cases[] = {
        {"the quality asked for fits", real, 70, real[70]},
        {"half of it", real, 90, real[90] / 2},
        {"just above quality 0", real, 100, real[0] + 1},
        {"no quality fits", real, 100, *std::min_element(real.begin(), real.end()) - 1},
        {"an upper bound of 0", real, 0, real[0] - 1},
        {"a dip below its neighbours", dip, 100, 1500},
        {"the dip itself", dip, 100, 1405},
    };
    for (const auto& c : cases) {
        int encodings = 0;
        const QualityFit fit = FitQuality(c.upper, c.limit, [&](int quality) {
            ++encodings;
            return c.sizes[quality];
        });
        // By hand: the highest quality that fits, walking down from the bound.
        int byHand = c.upper;
        while (byHand > 0 && c.sizes[byHand] > c.limit) {
            --byHand;
        }
        EXPECT_EQ(fit.fits, c.sizes[byHand] <= c.limit) << c.name;
        EXPECT_EQ(fit.bytes, c.sizes[fit.quality]) << c.name;
        EXPECT_LE(encodings, 9) << c.name;
        if (fit.fits) {
            EXPECT_LE(fit.bytes, c.limit) << c.name;
            EXPECT_TRUE(fit.quality == c.upper || c.sizes[fit.quality + 1] > c.limit) << c.name;
        } else {
            EXPECT_EQ(fit.quality, 0) << c.name;
        }
        if (&c.sizes == &real) {
            EXPECT_EQ(fit.quality, byHand) << c.name << ": the real sizes grow with the quality";
        }
    }
    // An encoding that fails ends the search.
    EXPECT_EQ(FitQuality(80, 10, [](int) { return -1LL; }).bytes, -1);
}
