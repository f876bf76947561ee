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
// An uncompressed TIFF (or, with another `compression`, one whose strip is not what it says)
// of one strip: `samples` samples a pixel (grey, grey and alpha, RGB, RGBA) of `bits` bits
// each, unsigned integers (`sampleFormat` 1) or floating point (3), `pixels` as stored.
QByteArray PlainTiff(int width, int height, int samples, int bits, int sampleFormat,
                     const QByteArray& pixels, int compression = 1);
// An old-style JPEG-in-TIFF (compression 6) made of a baseline `jpeg` of width × height, its
// chroma sampled 1/h across and 1/v down: its headers up to the scan as the tables of the TIFF,
// its scan as the one strip.
QByteArray OldStyleJpegTiff(const QByteArray& jpeg, int width, int height, int h, int v);
// The same PNG with a chunk of `type` holding `data` after its header, its CRC right or not.
QByteArray WithPngChunk(const QByteArray& png, const char* type, const QByteArray& data,
                        bool rightCrc = true);
// The start of the same PNG up to its header, and a chunk of `type` after it that claims
// `length` bytes and holds none: the file ends there (as in libpng's own crashers).
QByteArray WithPngChunkClaiming(const QByteArray& png, const char* type, quint32 length);
// An uncompressed 24-bit TGA of width × height, grey.
QByteArray Tga(int width, int height);
// The first bytes of a HEIC file, a file type box of the brand "heic": enough to be taken for
// one, nothing to decode.
QByteArray HeicSignature();

// A HEIF grid of width × height made of the coded picture of `heic` (one picture, as
// heif-enc writes it, of `tile` × `tile` coded pixels) repeated.
QByteArray HeifGrid(const QByteArray& heic, int tile, int width, int height);
// A HEIF grid of width × height made of `tiles` (each one picture as heif-enc writes it, of
// `tile` × `tile` coded pixels), in reading order, each a hidden item of its own, as phones
// write their photos. `gridProperties` are boxes the grid carries besides its size (irot,
// imir, clap), the first `essentialProperties` of them marked essential.
QByteArray HeifGridOfTiles(const std::vector<QByteArray>& tiles, int tile, int width, int height,
                           const QByteArray& gridProperties = {}, int essentialProperties = 0);
