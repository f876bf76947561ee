#include "DibSection.h"

#include <cstring>
#include <limits>

namespace {
// No single section may exceed what a signed 32-bit byte count can address; the
// whole-bitmap copies report their size in such a count.
constexpr std::size_t kMaxSectionBytes = std::numeric_limits<int>::max();
}  // namespace

DibSection::DibSection(int width, int height, std::uint8_t* bits)
    : m_width(width), m_height(height), m_stride(StrideFor(width)), m_bits(bits) {}

std::unique_ptr<DibSection> DibSection::Create(int width, int height) {
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() / 3 - 3) {
        return nullptr;
    }
    const std::size_t bytes = static_cast<std::size_t>(StrideFor(width)) * height;
    if (bytes > kMaxSectionBytes) {
        return nullptr;
    }
    // calloc: fresh pages arrive zeroed (black) without a pass over them.
    auto* bits = static_cast<std::uint8_t*>(std::calloc(bytes, 1));
    if (bits == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<DibSection>(new DibSection(width, height, bits));
}

QImage DibSection::ToImage() const {
    QImage image(m_width, m_height, QImage::Format_BGR888);
    if (image.isNull()) {
        return image;
    }
    for (int y = 0; y < m_height; ++y) {
        std::memcpy(image.scanLine(y), Row(y), 3 * static_cast<std::size_t>(m_width));
    }
    return image;
}
