#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include "HeifGrid.h"

struct heif_image;

// Copies a picture decoded as 8-bit planes of red, green and blue into `canvas` (32 bits a
// pixel) from `origin`, as much as fits. False for planes of other depths.
bool PastePlanes(const heif_image* image, QPoint origin, uchar* canvas, qsizetype bytesPerLine,
                 QSize canvasSize);

// A grid's tiles decoded side by side straight into the picture, which is then turned as the
// grid says: the same pixels as libheif's decoding of the whole grid, without its picture of
// the whole grid in planes and their interleaved copy. Null when a tile does not decode so.
// `sideLimit` bounds the pictures libheif may make.
QImage DecodeGridTiles(const HeifTileGrid& grid, int sideLimit);
