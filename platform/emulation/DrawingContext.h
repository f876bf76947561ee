#pragma once

#include <cstddef>
#include <cstdint>

class DibSection;

// A colour as the drawing calls take it: 0x00BBGGRR.
using Colour = std::uint32_t;
constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

struct BitmapInfo {
    int width = 0;
    int height = 0;
    int widthBytes = 0;  // bytes per stored row, padding included
};

// A memory drawing context: draws into the one bitmap selected into it. It does not own
// that bitmap. Without a bitmap every drawing call does nothing and reports failure.
// Coordinates are picture coordinates (x from the left, y from the top); rectangles
// exclude their right and bottom edges.
class CDC {
public:
    DibSection* SelectObject(DibSection* bitmap);
    DibSection* GetCurrentBitmap() const { return m_bitmap; }
    bool GetBitmapInfo(BitmapInfo& info) const;

    // Whole-bitmap copy out, top row first, each row as stored (padding included).
    // Copies as many whole rows as fit and returns the number of bytes delivered.
    std::size_t GetBits(std::uint8_t* destination, std::size_t capacity) const;
    // The same layout back in; returns the number of bytes taken.
    std::size_t SetBits(const std::uint8_t* source, std::size_t size);

    // Pen and brush of the drawing calls below; a fresh context has a black pen and a white brush.
    void SetPenColour(Colour colour) { m_pen = colour; }
    void SetBrushColour(Colour colour) { m_brush = colour; }

    // Outline in the pen colour, inside in the brush colour.
    bool Rectangle(int left, int top, int right, int bottom);
    // A line in the pen colour from the current position to (x, y), which it leaves out, so
    // that lines drawn one after the other join without drawing a pixel twice; (x, y)
    // becomes the current position.
    void MoveTo(int x, int y);
    bool LineTo(int x, int y);
    bool SetPixel(int x, int y, Colour colour);
    // The pixel's colour, or -1 outside the bitmap.
    long GetPixel(int x, int y) const;

    // Copies rows of B, G, R pixels (top row first, `stride` bytes apart) to (x, y), clipped.
    bool DrawBgrPixels(int x, int y, int width, int height, const std::uint8_t* pixels,
                       std::size_t stride);

    // The source may be this context: overlapping rectangles copy as if through a copy.
    bool BitBlt(int x, int y, int width, int height, const CDC& source, int sourceX, int sourceY);
    // Copies a source rectangle into a destination rectangle of another size, pixel by
    // nearest pixel. Extents must be positive.
    bool StretchBlt(int x, int y, int width, int height, const CDC& source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight);

private:
    void FillSpan(int y, int left, int right, Colour colour);

    DibSection* m_bitmap = nullptr;
    Colour m_pen = Rgb(0, 0, 0);
    Colour m_brush = Rgb(255, 255, 255);
    int m_x = 0;  // current position of LineTo
    int m_y = 0;
};
