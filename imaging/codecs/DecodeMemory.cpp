#include "DecodeMemory.h"

#include <algorithm>
#include <cstdlib>

namespace {

long long ImageBytes(QSize size, QImage::Format format) {
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    return (static_cast<long long>(size.width()) * depth + 31) / 32 * 4 * size.height();
}

}  // namespace

long long OpaqueBytes(QSize size) {
    return ImageBytes(size, QImage::Format_RGB32);
}

long long WholeDecodingBytes(QSize stored, QImage::Format decoded) {
    const long long opaque = OpaqueBytes(stored);
    if (decoded == QImage::Format_Invalid) {
        return 2 * opaque;
    }
    const bool thirtyTwoBits = decoded == QImage::Format_RGB32 ||
                               decoded == QImage::Format_ARGB32 ||
                               decoded == QImage::Format_ARGB32_Premultiplied;
    return ImageBytes(stored, decoded) + (thirtyTwoBits ? 0 : opaque);
}

bool MemoryFor(long long bytes) {
    void* block = std::malloc(static_cast<std::size_t>(std::max(bytes, 1LL)));
    std::free(block);
    return block != nullptr;
}
