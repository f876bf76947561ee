#include "Adjustments.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/emulation/DrawingContext.h"

namespace {

// Channel values leave 0..255 between the steps and are only clamped at the end. Far
// beyond any value the steps can pull back into range they saturate here, so that no
// setting, however absurd, overflows.
constexpr long long kSaturation = 1LL << 40;

long long Saturate(double value) {
    return static_cast<long long>(std::clamp(value, double(-kSaturation), double(kSaturation)));
}

std::uint8_t ClampByte(long long value) {
    return static_cast<std::uint8_t>(std::clamp<long long>(value, 0, 255));
}

// Brightness and contrast act on each channel alone, so for every byte value their result
// is worked out once, with the per-pixel formulas, and looked up afterwards.
std::array<long long, 256> ToneTable(const ConversionParams& params) {
    const double t = params.Contrast != 0 ? double(params.Contrast) * params.Contrast * 0.0001 : 0;
    std::array<long long, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        long long v = byte;
        if (params.Brightness != 0) {
            v = (static_cast<long long>(params.Brightness) + 100) * v / 100;
        }
        if (params.Contrast != 0) {
            const long long d = Saturate(double(v - 128) * t);
            v = params.Contrast > 0 ? v + d : v - d;
        }
        table[byte] = std::clamp(v, -kSaturation, kSaturation);
    }
    return table;
}

using ByteTable = std::array<std::uint8_t, 256>;

ByteTable FinalTable(const std::array<long long, 256>& tone, int shift) {
    ByteTable table{};
    for (int byte = 0; byte < 256; ++byte) {
        table[byte] = ClampByte(tone[byte] + shift);
    }
    return table;
}

}  // namespace

bool ColoursNeutral(const ConversionParams& p) {
    return p.Brightness == 0 && p.Contrast == 0 && p.GreenShift == 0 && p.BlueShift == 0 &&
           p.RedShift == 0 && p.BlackAndWhite == 0;
}

void AdjustColours(std::uint8_t* rows, int width, int height, std::size_t stride,
                   const ConversionParams& params) {
    const std::array<long long, 256> tone = ToneTable(params);
    if (params.BlackAndWhite != 0) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* p = rows + y * stride;
            for (int x = 0; x < width; ++x, p += 3) {
                const long long mean = (tone[p[0]] + tone[p[1]] + tone[p[2]]) / 3;
                p[0] = ClampByte(mean + params.BlueShift);
                p[1] = ClampByte(mean + params.GreenShift);
                p[2] = ClampByte(mean + params.RedShift);
            }
        }
        return;
    }
    const ByteTable blue = FinalTable(tone, params.BlueShift);
    const ByteTable green = FinalTable(tone, params.GreenShift);
    const ByteTable red = FinalTable(tone, params.RedShift);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* p = rows + y * stride;
        for (int x = 0; x < width; ++x, p += 3) {
            p[0] = blue[p[0]];
            p[1] = green[p[1]];
            p[2] = red[p[2]];
        }
    }
}

void Reorient(const std::uint8_t* in, std::uint8_t* out, int width, int height, std::size_t stride,
              int orientation) {
    const bool flipRows = (orientation & 6) == 2 || (orientation & 6) == 6;
    const bool flipColumns = (orientation & 6) == 2 || (orientation & 6) == 4;
    const std::size_t pixelBytes = 3 * static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* from = in + (flipRows ? height - 1 - y : y) * stride;
        std::uint8_t* to = out + y * stride;
        if (flipColumns) {
            for (int x = 0; x < width; ++x) {
                std::memcpy(to + 3 * x, from + 3 * (width - 1 - x), 3);
            }
        } else {
            std::memcpy(to, from, pixelBytes);
        }
        // The row's padding stays what it was at this row.
        std::memcpy(to + pixelBytes, in + y * stride + pixelBytes, stride - pixelBytes);
    }
}

void ApplyAdjustments(CDC& dc, const ConversionParams& params) {
    BitmapInfo info;
    if (!dc.GetBitmapInfo(info) || info.height <= 0) {
        return;
    }
    std::vector<std::uint8_t> work(static_cast<std::size_t>(info.height) * info.widthBytes);
    const std::size_t delivered = dc.GetBits(work.data(), work.size());
    const std::size_t stride = delivered / info.height;
    if (stride < 3 * static_cast<std::size_t>(info.width)) {
        return;
    }
    if (!ColoursNeutral(params)) {
        AdjustColours(work.data(), info.width, info.height, stride, params);
    }
    if ((params.Orientation & 6) != 0) {
        std::vector<std::uint8_t> turned(work.size());
        Reorient(work.data(), turned.data(), info.width, info.height, stride, params.Orientation);
        work.swap(turned);
    }
    dc.SetBits(work.data(), delivered);
}
