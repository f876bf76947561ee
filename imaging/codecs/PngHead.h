#pragma once

#include <QByteArray>
#include <QImage>
#include <vector>

class QIODevice;

// A PNG of 16-bit RGB samples may name one colour transparent (a tRNS chunk). Qt 6.4's reader
// takes such a file for one with an alpha channel but leaves libpng to deliver three samples
// a pixel into rows of four: the picture comes out in coloured stripes. With its tRNS chunks
// hidden (renamed to a kind of chunk every reader passes over) the file is one Qt reads
// right, and the colour is made transparent afterwards.
struct PngColourKey {
    // The file is such a PNG, with one transparent colour.
    bool applies = false;
    quint16 red = 0;
    quint16 green = 0;
    quint16 blue = 0;
    // Where each tRNS chunk stands, and the renamed chunk to read there instead.
    struct Hidden {
        qint64 offset = 0;
        QByteArray chunk;
    };
    std::vector<Hidden> hidden;
};

// What the chunks of a PNG before its pixel data say, read without decoding anything.
struct PngHead {
    // A chunk claims more bytes than the file holds: libpng would take memory for all it
    // claims (a gigabyte, for a file of 57 bytes) before finding the file short.
    bool claimsTooMuch = false;
    // What libpng and Qt's reader keep of those chunks: texts are made UTF-16 text twice over,
    // six times their bytes in all, measured.
    long long keptBytes = 0;
    PngColourKey key;
};

// Read from the start of the device, which is left at the position it had. A file of more
// tRNS chunks than any writer makes (one) is left to Qt as it is.
PngHead ReadPngHead(QIODevice& device);

// Makes the pixels of the key's colour transparent in `image`, decoded from the file with
// the chunks hidden (16-bit RGBX, as Qt reads it); any other picture is left as it is.
void ApplyPngColourKey(QImage& image, const PngColourKey& key);
