#pragma once

#include <QByteArray>
#include <QPoint>
#include <optional>
#include <vector>

class QIODevice;

// A grid picture (how phones store their photos: tiles of 512 x 512 pixels side by side,
// each coded on its own) taken apart, so that its tiles can be decoded at the same time and
// put straight into the picture. Each tile becomes a HEIF file of its own holding the tile's
// coded data and properties, which libheif decodes as it decodes that tile within the grid.

struct HeifGridTile {
    QByteArray file;  // a HEIF file of this tile alone
    QPoint origin;    // its top left corner in the grid
};

// What libheif does to a grid once its tiles are put together (the grid's irot and imir
// boxes), in the order the file names them. Turns are counter-clockwise.
enum class HeifTurn { Rotate90, Rotate180, Rotate270, MirrorLeftRight, MirrorUpDown };

struct HeifTileGrid {
    int width = 0;  // the grid's own size, before it is turned
    int height = 0;
    std::vector<HeifGridTile> tiles;
    std::vector<HeifTurn> turns;
};

// The primary picture as such a grid, read from the boxes of the file. Nothing for a picture
// that is no grid, and for one whose decoding tile by tile could come out other than libheif's
// decoding of the whole: tiles turned, cropped or with transparency of their own, a grid that
// is cropped (clean aperture) or says it has more than 8 bits, anything that does not read.
std::optional<HeifTileGrid> ReadHeifGrid(QIODevice& device);
