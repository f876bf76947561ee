#include "Geometry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "ConversionParams.h"
#include "ImageBuffer.h"
#include "Picture.h"

OutputSize ComputeOutputSize(int pictureWidth, int pictureHeight, int targetSize) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || targetSize <= 0) {
        return {};
    }
    const long long w = pictureWidth;
    const long long h = pictureHeight;
    const long long n = targetSize;
    OutputSize size;
    if (w > h) {
        size = {targetSize, static_cast<int>(h * n / w)};
    } else {
        size = {static_cast<int>(w * n / h), targetSize};
    }
    size.width = std::max(size.width, 1);
    size.height = std::max(size.height, 1);
    return size;
}

void TurnQuarterClockwise(const unsigned char* in, std::size_t inStride, unsigned char* out,
                          std::size_t outStride, int outputWidth, int outputHeight) {
    for (int y = 0; y < outputHeight; ++y) {
        unsigned char* to = out + y * outStride;
        for (int x = 0; x < outputWidth; ++x) {
            std::memcpy(to + 3 * x, in + (outputWidth - 1 - x) * inStride + 3 * y, 3);
        }
    }
}

bool RotateQuarterTurn(CDC& target, int outputWidth, int outputHeight, CPicture& picture,
                       int orientation) {
    if ((orientation & Orientation::QuarterTurn) == 0) {
        return true;
    }
    BitmapInfo targetInfo;
    if (!target.GetBitmapInfo(targetInfo) || targetInfo.width != outputWidth ||
        targetInfo.height != outputHeight) {
        return false;
    }
    ImageBuffer upright;
    if (!upright.Create(outputHeight, outputWidth)) {
        return false;
    }
    upright.Dc().Rectangle(0, 0, outputHeight, outputWidth);
    if (!picture.Draw(&upright.Dc(), CRect{0, 0, outputHeight, outputWidth}, false, false)) {
        return false;
    }

    std::vector<unsigned char> from(static_cast<std::size_t>(outputWidth) *
                                    DibSection::StrideFor(outputHeight));
    const std::size_t fromStride = upright.Dc().GetBits(from.data(), from.size()) / outputWidth;
    std::vector<unsigned char> to(static_cast<std::size_t>(outputHeight) * targetInfo.widthBytes);
    const std::size_t delivered = target.GetBits(to.data(), to.size());
    TurnQuarterClockwise(from.data(), fromStride, to.data(), delivered / outputHeight, outputWidth,
                         outputHeight);
    target.SetBits(to.data(), delivered);
    return true;
}
