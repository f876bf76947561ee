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

// Read from the start of the device, which is left at the position it had: the chunks before
// the pixel data, when the header says 16-bit RGB. A file of more tRNS chunks than any writer
// makes (one) is left to Qt as it is.
PngColourKey ReadPngColourKey(QIODevice& device);

// Makes the pixels of the key's colour transparent in `image`, decoded from the file with
// the chunks hidden (16-bit RGBX, as Qt reads it); any other picture is left as it is.
void ApplyPngColourKey(QImage& image, const PngColourKey& key);
