#include "DecodeMemory.h"

#include <algorithm>
#include <cstdlib>

#include "JpegFrame.h"

namespace {

long long ImageBytes(QSize size, QImage::Format format) {
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    return (static_cast<long long>(size.width()) * depth + 31) / 32 * 4 * size.height();
}

}  // namespace

long long DecodedPixelBytes(QSize stored, int denominator) {
    return 4 * ((static_cast<long long>(stored.width()) + denominator - 1) / denominator) *
           ((static_cast<long long>(stored.height()) + denominator - 1) / denominator);
}

long long CoefficientBytes(const JpegFrame& frame) {
    return frame.multiScan ? frame.blocks * 128 : 0;
}

int ScaleDenominator(QSize stored, QSize size) {
    if (size == stored || size.width() <= 0 || size.height() <= 0) {
        return 1;
    }
    const int ratio = std::min(stored.width() / size.width(), stored.height() / size.height());
    return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

long long WholeDecodingBytes(const QByteArray& format, QSize stored, QImage::Format decoded,
                             qint64 fileBytes) {
    const long long opaque = ImageBytes(stored, QImage::Format_RGB32);
    if (decoded == QImage::Format_Invalid) {
        return 2 * opaque;
    }
    const bool thirtyTwoBits = decoded == QImage::Format_RGB32 ||
                               decoded == QImage::Format_ARGB32 ||
                               decoded == QImage::Format_ARGB32_Premultiplied;
    long long bytes = ImageBytes(stored, decoded) + (thirtyTwoBits ? 0 : opaque);
    if (format == "webp") {
        bytes += fileBytes;  // its decoder reads the whole file first
    }
    if (format == "tiff") {
        // Qt's TIFF reader turns the order of the channels of some layouts into a copy of
        // the picture, and libtiff holds a strip besides: a 385 KB file of 12000 × 11000
        // was seen to take three pictures' worth.
        bytes = std::max(bytes, 3 * opaque);
    }
    return bytes;
}

bool MemoryFor(long long bytes) {
    void* block = std::malloc(static_cast<std::size_t>(std::max(bytes, 1LL)));
    std::free(block);
    return block != nullptr;
}