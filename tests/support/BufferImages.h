#pragma once

#include <QImage>

class CDC;

// The bitmap selected into `dc` as an RGB888 image, top row first.
QImage ToImage(const CDC& dc);
// Copies `image` into the bitmap selected into `dc` (same size), as B, G, R bytes.
void Fill(CDC& dc, const QImage& image);
