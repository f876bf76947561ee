#include "DrawingContext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "DibSection.h"

namespace {

void PutColour(std::uint8_t* pixel, Colour colour) {
    pixel[0] = static_cast<std::uint8_t>(colour >> 16);  // blue
    pixel[1] = static_cast<std::uint8_t>(colour >> 8);   // green
    pixel[2] = static_cast<std::uint8_t>(colour);        // red
}

}  // namespace

DibSection* CDC::SelectObject(DibSection* bitmap) {
    DibSection* previous = m_bitmap;
    m_bitmap = bitmap;
    return previous;
}

bool CDC::GetBitmapInfo(BitmapInfo& info) const {
    if (m_bitmap == nullptr) {
        return false;
    }
    info = {m_bitmap->Width(), m_bitmap->Height(), m_bitmap->Stride()};
    return true;
}

std::size_t CDC::GetBits(std::uint8_t* destination, std::size_t capacity) const {
    if (m_bitmap == nullptr || destination == nullptr) {
        return 0;
    }
    const std::size_t stride = m_bitmap->Stride();
    const int rows = static_cast<int>(std::min<std::size_t>(capacity / stride, m_bitmap->Height()));
    for (int y = 0; y < rows; ++y) {
        std::memcpy(destination + y * stride, m_bitmap->Row(y), stride);
    }
    return rows * stride;
}

std::size_t CDC::SetBits(const std::uint8_t* source, std::size_t size) {
    if (m_bitmap == nullptr || source == nullptr) {
        return 0;
    }
    const std::size_t stride = m_bitmap->Stride();
    const int rows = static_cast<int>(std::min<std::size_t>(size / stride, m_bitmap->Height()));
    for (int y = 0; y < rows; ++y) {
        std::memcpy(m_bitmap->Row(y), source + y * stride, stride);
    }
    return rows * stride;
}

void CDC::FillSpan(int y, int left, int right, Colour colour) {
    if (y < 0 || y >= m_bitmap->Height()) {
        return;
    }
    left = std::max(left, 0);
    right = std::min(right, m_bitmap->Width());
    std::uint8_t* row = m_bitmap->Row(y);
    for (int x = left; x < right; ++x) {
        PutColour(row + 3 * x, colour);
    }
}

bool CDC::Rectangle(int left, int top, int right, int bottom) {
    if (m_bitmap == nullptr) {
        return false;
    }
    if (right < left) {
        std::swap(left, right);
    }
    if (bottom < top) {
        std::swap(top, bottom);
    }
    if (right - left < 1 || bottom - top < 1) {
        return true;
    }
    for (int y = top; y < bottom; ++y) {
        const bool edgeRow = y == top || y == bottom - 1;
        if (edgeRow) {
            FillSpan(y, left, right, m_pen);
            continue;
        }
        FillSpan(y, left, left + 1, m_pen);
        FillSpan(y, left + 1, right - 1, m_brush);
        FillSpan(y, right - 1, right, m_pen);
    }
    return true;
}

void CDC::MoveTo(int x, int y) {
    m_x = x;
    m_y = y;
}

bool CDC::LineTo(int x, int y) {
    if (m_bitmap == nullptr) {
        return false;
    }
    // Bresenham's walk from the current position; the end point is not drawn.
    const int dx = std::abs(x - m_x);
    const int dy = -std::abs(y - m_y);
    const int stepX = m_x < x ? 1 : -1;
    const int stepY = m_y < y ? 1 : -1;
    int error = dx + dy;
    for (int px = m_x, py = m_y; px != x || py != y;) {
        SetPixel(px, py, m_pen);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            px += stepX;
        }
        if (twice <= dx) {
            error += dx;
            py += stepY;
        }
    }
    MoveTo(x, y);
    return true;
}

bool CDC::SetPixel(int x, int y, Colour colour) {
    if (m_bitmap == nullptr || x < 0 || y < 0 || x >= m_bitmap->Width() ||
        y >= m_bitmap->Height()) {
        return false;
    }
    PutColour(m_bitmap->Row(y) + 3 * x, colour);
    return true;
}

long CDC::GetPixel(int x, int y) const {
    if (m_bitmap == nullptr || x < 0 || y < 0 || x >= m_bitmap->Width() ||
        y >= m_bitmap->Height()) {
        return -1;
    }
    const std::uint8_t* p = m_bitmap->Row(y) + 3 * x;
    return static_cast<long>(Rgb(p[2], p[1], p[0]));
}

bool CDC::DrawBgrPixels(int x, int y, int width, int height, const std::uint8_t* pixels,
                        std::size_t stride) {
    if (m_bitmap == nullptr || pixels == nullptr) {
        return false;
    }
    const int firstColumn = std::max(0, -x);
    const int lastColumn = std::min(width, m_bitmap->Width() - x);
    if (lastColumn <= firstColumn) {
        return true;
    }
    const std::size_t bytes = 3 * static_cast<std::size_t>(lastColumn - firstColumn);
    for (int row = std::max(0, -y); row < height && y + row < m_bitmap->Height(); ++row) {
        std::memcpy(m_bitmap->Row(y + row) + 3 * (x + firstColumn),
                    pixels + row * stride + 3 * firstColumn, bytes);
    }
    return true;
}

bool CDC::BitBlt(int x, int y, int width, int height, const CDC& source, int sourceX, int sourceY) {
    const DibSection* from = source.m_bitmap;
    if (m_bitmap == nullptr || from == nullptr) {
        return false;
    }
    // Clip against both bitmaps, moving source and destination together.
    if (x < 0) {
        sourceX -= x;
        width += x;
        x = 0;
    }
    if (y < 0) {
        sourceY -= y;
        height += y;
        y = 0;
    }
    if (sourceX < 0) {
        x -= sourceX;
        width += sourceX;
        sourceX = 0;
    }
    if (sourceY < 0) {
        y -= sourceY;
        height += sourceY;
        sourceY = 0;
    }
    width = std::min({width, m_bitmap->Width() - x, from->Width() - sourceX});
    height = std::min({height, m_bitmap->Height() - y, from->Height() - sourceY});
    // Copying down within one bitmap starts at the bottom, so no row is overwritten before it
    // has been read; memmove takes care of overlap within a row.
    const bool upwards = from == m_bitmap && y > sourceY;
    for (int i = 0; i < height; ++i) {
        const int row = upwards ? height - 1 - i : i;
        std::memmove(m_bitmap->Row(y + row) + 3 * x, from->Row(sourceY + row) + 3 * sourceX,
                     3 * static_cast<std::size_t>(std::max(width, 0)));
    }
    return true;
}

bool CDC::StretchBlt(int x, int y, int width, int height, const CDC& source, int sourceX,
                     int sourceY, int sourceWidth, int sourceHeight) {
    const DibSection* from = source.m_bitmap;
    if (m_bitmap == nullptr || from == nullptr || width <= 0 || height <= 0 || sourceWidth <= 0 ||
        sourceHeight <= 0) {
        return false;
    }
    for (int row = std::max(0, -y); row < height && y + row < m_bitmap->Height(); ++row) {
        const int sy =
            sourceY + static_cast<int>(static_cast<long long>(row) * sourceHeight / height);
        if (sy < 0 || sy >= from->Height()) {
            continue;
        }
        const std::uint8_t* in = from->Row(sy);
        std::uint8_t* out = m_bitmap->Row(y + row);
        for (int col = std::max(0, -x); col < width && x + col < m_bitmap->Width(); ++col) {
            const int sx =
                sourceX + static_cast<int>(static_cast<long long>(col) * sourceWidth / width);
            if (sx >= 0 && sx < from->Width()) {
                std::memcpy(out + 3 * (x + col), in + 3 * sx, 3);
            }
        }
    }
    return true;
}
