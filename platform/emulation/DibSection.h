#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <QImage>

// A 24-bit device-independent bitmap: 3 bytes per pixel in B, G, R order, rows stored
// bottom-up, each row padded to a multiple of 4 bytes. Everything that scales, turns,
// adjusts, shows or encodes a picture works on this exact layout.
class DibSection {
public:
    // Null when the size is not positive or the memory cannot be had. The pixels start black.
    static std::unique_ptr<DibSection> Create(int width, int height);

    static int StrideFor(int width) { return (width * 3 + 3) & ~3; }

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Stride() const { return m_stride; }
    std::size_t SizeBytes() const { return static_cast<std::size_t>(m_stride) * m_height; }

    // Storage order: the first stored row is the picture's bottom row.
    std::uint8_t* Bits() { return m_bits.get(); }
    const std::uint8_t* Bits() const { return m_bits.get(); }

    // Row y counted from the picture's top.
    std::uint8_t* Row(int y) { return m_bits.get() + RowOffset(y); }
    const std::uint8_t* Row(int y) const { return m_bits.get() + RowOffset(y); }

    // A copy the painter and the tests can use: top row first, B, G, R bytes as stored.
    // Null when the memory for it cannot be had.
    QImage ToImage() const;

private:
    struct FreeBits {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };

    DibSection(int width, int height, std::uint8_t* bits);
    std::size_t RowOffset(int y) const {
        return static_cast<std::size_t>(m_height - 1 - y) * static_cast<std::size_t>(m_stride);
    }

    int m_width;
    int m_height;
    int m_stride;
    std::unique_ptr<std::uint8_t, FreeBits> m_bits;
};
