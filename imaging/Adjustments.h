#pragma once

#include <cstddef>
#include <cstdint>

#include "ConversionParams.h"

class CDC;

// The user's colour settings, then the half turn and mirror, applied in place to the bitmap
// selected into `dc`. Not idempotent: every call must follow a fresh drawing of the picture.
void ApplyAdjustments(CDC& dc, const ConversionParams& params);

// The colour pass alone, on rows of B, G, R pixels `stride` bytes apart. Bytes after the
// 3 × width pixel bytes of a row are left as they are.
void AdjustColours(std::uint8_t* rows, int width, int height, std::size_t stride,
                   const ConversionParams& params);

// True when the colour pass would change nothing (it is then skipped).
bool ColoursNeutral(const ConversionParams& params);

// Rearranges `in` into `out` (both width × height, `stride` apart) for the half-turn and
// mirror flags of `orientation`; flag 1, the quarter turn, is not this step's business.
void Reorient(const std::uint8_t* in, std::uint8_t* out, int width, int height, std::size_t stride,
              int orientation);
