#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <ostream>

#include "imaging/codecs/PictureDefect.h"

class CDC;
class ImageBuffer;

// The bitmap selected into `dc` as an RGB888 image, top row first.
QImage ToImage(const CDC& dc);
// Copies `image` into the bitmap selected into `dc` (same size), as B, G, R bytes.
void Fill(CDC& dc, const QImage& image);
// Makes `buffer` the size of `image` and copies it in.
void FillBuffer(ImageBuffer& buffer, const QImage& image);

// Loads `bytes` (from a file of their own, as a conversion does, or from memory) and draws the
// picture at `size`: the defect that ends with. The drawing goes to `drawn`, the memory its
// decoding is counted at to `decodeBytes`, when asked for.
PictureDefect LoadAndDraw(const QByteArray& bytes, QSize size, QImage* drawn = nullptr,
                          long long* decodeBytes = nullptr, bool fromMemory = false);

// GoogleTest shows a defect by its words ("damaged data"), not as bytes.
inline void PrintTo(PictureDefect defect, std::ostream* out) {
    *out << (defect == PictureDefect::None ? std::string("none")
                                           : DefectText(defect).toStdString());
}
