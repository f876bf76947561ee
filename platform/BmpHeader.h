#pragma once

#include <QImage>

class QIODevice;

// What the headers of a BMP file say about its pixel data, read without decoding it.
struct BmpHeader {
    bool valid = false;
    // The form Qt's decoder gives the pixels in; Format_Invalid for what it does not read.
    QImage::Format decodedFormat = QImage::Format_Invalid;
    // Where the pixel data should end, in bytes from the start; -1 when the headers do not say
    // (run-length data of unstated size).
    long long dataEnd = -1;
};

// The device is left at the position it had.
BmpHeader ReadBmpHeader(QIODevice& device);
