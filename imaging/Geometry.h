#pragma once

#include <cstddef>

class CDC;
class CPicture;

struct OutputSize {
    int width = 0;
    int height = 0;
};

// The longer side becomes targetSize; the other keeps the proportions, truncated. A side
// that would truncate to nothing is kept at one pixel, so every picture gives a file.
OutputSize ComputeOutputSize(int pictureWidth, int pictureHeight, int targetSize);

// With the quarter-turn flag in `orientation`, replaces the whole content of the
// outputWidth × outputHeight bitmap in `target` by `picture` turned 90° clockwise: the
// picture is drawn afresh at the output scale in its own orientation and then turned.
// False when the turn was asked for but could not be made.
bool RotateQuarterTurn(CDC& target, int outputWidth, int outputHeight, CPicture& picture,
                       int orientation);

// out(x, y) = in(y, outputWidth - 1 - x): the turn itself, on top-row-first B, G, R rows.
// `in` is outputHeight pixels wide and outputWidth high.
void TurnQuarterClockwise(const unsigned char* in, std::size_t inStride, unsigned char* out,
                          std::size_t outStride, int outputWidth, int outputHeight);
