#pragma once

#include <cstdint>

// Every setting of one conversion. The values are those a fresh start of the program has.
struct ConversionParams {
    std::int32_t TargetSize = 368;     // pixels of the output's longer side
    std::int32_t CompanionSize = 480;  // other side of the preview box
    std::int32_t Quality = 70;         // JPEG quality, percent
    std::int32_t Resolution = 72;      // dots per inch in the JFIF header; 0 = "Automatisch"
    std::int32_t Brightness = 0;       // percent
    std::int32_t Contrast = 0;
    std::int32_t RedShift = 0;
    std::int32_t GreenShift = 0;
    std::int32_t BlueShift = 0;
    std::int32_t BlackAndWhite = 0;  // 0 or 1
    std::int32_t Orientation = 0;    // flags, see Orientation below
    // 0, or the most Kb (1000 bytes) the written file may take: the quality is then lowered
    // from Quality until it fits.
    std::int32_t MaxKb = 0;
    // 1: a picture whose longer side is within TargetSize keeps its size (it is only
    // re-encoded): what shrinking copies for a file manager asks, never an enlargement.
    std::int32_t NeverEnlarge = 0;
};

namespace Orientation {
constexpr int QuarterTurn = 1;  // 90° clockwise
constexpr int HalfTurn = 2;
constexpr int Mirror = 4;  // left and right exchanged
}  // namespace Orientation
