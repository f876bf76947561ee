#pragma once

#include <QByteArray>
#include <vector>

// Crafted files that claim far more than they hold, a few lines of bytes each: for the tests
// and the fuzzing corpus alike.

// A deflate TIFF of zeros claiming width × height (RGB, 8 bits): every strip of 100 rows is
// one and the same compressed block, so the file stays small whatever it claims.
QByteArray DeflateTiffOfZeros(int width, int height);
// A TIFF of width × height whose one strip is `jpeg` (YCbCr, as Qt's writer makes it): a
// smaller JPEG leaves most of what the tags claim without data. libtiff warns of an unknown
// tag, when asked for, as it reads the tags.
QByteArray JpegInTiff(const QByteArray& jpeg, int width, int height, bool unknownTag = false);
// The same JPEG with `count` comment segments of `bytes` bytes each after its start marker.
QByteArray WithComments(const QByteArray& jpeg, int count, int bytes = 65533);
// The same JPEG with its last scan repeated, so that it holds `count` more scans.
QByteArray WithRepeatedScan(const QByteArray& jpeg, int count);
// The same JPEG with another frame marker (0xC3: lossless) and sample precision.
QByteArray WithFrameKind(const QByteArray& jpeg, int marker, int precision);
// An uncompressed 24-bit TGA of width × height, grey.
QByteArray Tga(int width, int height);

// A HEIF grid of width × height made of the coded picture of `heic` (one picture, as
// heif-enc writes it, of `tile` × `tile` coded pixels) repeated.
QByteArray HeifGrid(const QByteArray& heic, int tile, int width, int height);
// A HEIF grid of width × height made of `tiles` (each one picture as heif-enc writes it, of
// `tile` × `tile` coded pixels), in reading order, each a hidden item of its own, as phones
// write their photos. `gridProperties` are boxes the grid carries besides its size (irot,
// imir, clap), the first `essentialProperties` of them marked essential.
QByteArray HeifGridOfTiles(const std::vector<QByteArray>& tiles, int tile, int width, int height,
                           const QByteArray& gridProperties = {}, int essentialProperties = 0);
