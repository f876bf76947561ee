#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <random>
#include <vector>

#include "imaging/Adjustments.h"
#include "imaging/ImageBuffer.h"

namespace {

using Pixel = std::array<int, 3>;  // B, G, R

// The colour steps written out per pixel, straight from their definition.
Pixel Reference(Pixel in, const ConversionParams& p) {
    std::array<long long, 3> c = {in[0], in[1], in[2]};
    const double t = double(p.Contrast) * p.Contrast * 0.0001;
    for (long long& v : c) {
        if (p.Brightness != 0) {
            v = ((p.Brightness + 100LL) * v) / 100;
        }
        if (p.Contrast != 0) {
            const auto d = static_cast<long long>(double(v - 128) * t);
            v = p.Contrast > 0 ? v + d : v - d;
        }
    }
    if (p.BlackAndWhite != 0) {
        const long long m = (c[0] + c[1] + c[2]) / 3;
        c = {m, m, m};
    }
    c[2] += p.RedShift;
    c[0] += p.BlueShift;
    c[1] += p.GreenShift;
    Pixel out{};
    for (int i = 0; i < 3; ++i) {
        out[i] = static_cast<int>(std::clamp<long long>(c[i], 0, 255));
    }
    return out;
}

Pixel Adjust(Pixel in, const ConversionParams& p) {
    std::uint8_t bytes[4] = {std::uint8_t(in[0]), std::uint8_t(in[1]), std::uint8_t(in[2]), 0};
    AdjustColours(bytes, 1, 1, 4, p);
    return {bytes[0], bytes[1], bytes[2]};
}

ConversionParams Colours(int brightness, int contrast, int red, int green, int blue, int bw) {
    ConversionParams p;
    p.Brightness = brightness;
    p.Contrast = contrast;
    p.RedShift = red;
    p.GreenShift = green;
    p.BlueShift = blue;
    p.BlackAndWhite = bw;
    return p;
}

struct Case {
    const char* what;
    ConversionParams params;
    Pixel in;
    Pixel expected;
};

}  // namespace

TEST(Adjustments, KnownValues) {
    const Case cases[] = {
        {"contrast 50", Colours(0, 50, 0, 0, 0, 0), {100, 100, 200}, {93, 93, 218}},
        {"contrast -50", Colours(0, -50, 0, 0, 0, 0), {100, 100, 200}, {107, 107, 182}},
        {"contrast 30 truncates 9, not 8",
         Colours(0, 30, 0, 0, 0, 0),
         {228, 228, 228},
         {237, 237, 237}},
        {"contrast -100 is plain grey",
         Colours(0, -100, 0, 0, 0, 0),
         {0, 77, 255},
         {128, 128, 128}},
        {"contrast 100 doubles", Colours(0, 100, 0, 0, 0, 0), {10, 128, 200}, {0, 128, 255}},
        {"brightness -50", Colours(-50, 0, 0, 0, 0, 0), {201, 0, 255}, {100, 0, 127}},
        {"brightness -100 blackens first", Colours(-100, 40, 0, 0, 0, 0), {200, 10, 90}, {0, 0, 0}},
        {"no clamping between steps", Colours(100, 0, 0, 0, 0, 1), {0, 0, 200}, {133, 133, 133}},
        {"black and white", Colours(0, 0, 0, 0, 0, 1), {1, 0, 255}, {85, 85, 85}},
        {"shifts follow black and white",
         Colours(0, 0, 20, 0, 0, 1),
         {100, 100, 100},
         {100, 100, 120}},
        {"shifts are clamped", Colours(0, 0, 100, -30, 0, 0), {0, 10, 200}, {0, 0, 255}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Adjust(c.in, c.params), c.expected) << c.what;
        EXPECT_EQ(Reference(c.in, c.params), c.expected) << c.what << " (reference)";
    }
}

TEST(Adjustments, AgreeWithThePerPixelFormulasForAnySettings) {
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> setting(-300, 300);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        const ConversionParams p = Colours(setting(random), setting(random), setting(random),
                                           setting(random), setting(random), round % 3 == 0);
        for (int i = 0; i < 20; ++i) {
            const Pixel in = {byte(random), byte(random), byte(random)};
            ASSERT_EQ(Adjust(in, p), Reference(in, p))
                << "brightness " << p.Brightness << " contrast " << p.Contrast;
        }
    }
}

TEST(Adjustments, AbsurdSettingsStaySound) {
    for (int extreme : {INT_MIN, INT_MIN + 1, -1000000, 1000000, INT_MAX}) {
        const ConversionParams p = Colours(extreme, extreme, extreme, extreme, extreme, 1);
        const Pixel out = Adjust({0, 128, 255}, p);
        for (int v : out) {
            EXPECT_TRUE(v >= 0 && v <= 255);
        }
    }
}

namespace {

// A 3 × 2 picture (stride 12: three padding bytes a row) whose pixels are numbered.
std::vector<std::uint8_t> Numbered() {
    std::vector<std::uint8_t> rows(24, 0xAB);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            for (int c = 0; c < 3; ++c) {
                rows[y * 12 + 3 * x + c] = std::uint8_t(10 * (3 * y + x) + c);
            }
        }
    }
    return rows;
}

int Label(const std::vector<std::uint8_t>& rows, int x, int y) {
    return rows[y * 12 + 3 * x] / 10;
}

}  // namespace

TEST(Adjustments, HalfTurnMirrorAndFlipMoveWholePixels) {
    const std::vector<std::uint8_t> in = Numbered();
    std::vector<std::uint8_t> out(in.size());
    struct Expectation {
        int orientation;
        int labels[6];  // row by row
    } const expectations[] = {
        {2, {5, 4, 3, 2, 1, 0}},
        {4, {2, 1, 0, 5, 4, 3}},
        {6, {3, 4, 5, 0, 1, 2}},
        {7, {3, 4, 5, 0, 1, 2}},  // the quarter-turn flag is not this step's
    };
    for (const Expectation& e : expectations) {
        Reorient(in.data(), out.data(), 3, 2, 12, e.orientation);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(Label(out, i % 3, i / 3), e.labels[i]) << "orientation " << e.orientation;
        }
        EXPECT_EQ(out[9], 0xAB) << "padding keeps its bytes";
        EXPECT_EQ(out[11 + 12], 0xAB);
    }
}

TEST(Adjustments, OnABufferLeaveThePaddingAndANeutralPictureAlone) {
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(3, 2));
    const std::vector<std::uint8_t> original = Numbered();
    buffer.Dc().SetBits(original.data(), original.size());

    ApplyAdjustments(buffer.Dc(), ConversionParams{});
    std::vector<std::uint8_t> after(24);
    buffer.Dc().GetBits(after.data(), after.size());
    EXPECT_EQ(after, original);

    ConversionParams p = Colours(30, -20, 5, 6, 7, 1);
    p.Orientation = 2;
    ApplyAdjustments(buffer.Dc(), p);
    buffer.Dc().GetBits(after.data(), after.size());
    for (int y = 0; y < 2; ++y) {
        for (int i = 9; i < 12; ++i) {
            EXPECT_EQ(after[y * 12 + i], 0xAB);
        }
    }
    // Colours first, then the half turn: the top-left pixel is the former bottom-right one.
    const Pixel expected = Reference({50, 51, 52}, p);
    EXPECT_EQ((Pixel{after[0], after[1], after[2]}), expected);
}
