#pragma once

#include <QImage>

class QIODevice;

// What the headers of a BMP file say about its pixel data, read without decoding it.
struct BmpHeader {
    bool valid = false;
    // The file ends within its headers.
    bool cutOff = false;
    // The form Qt's decoder gives the pixels in; Format_Invalid for what it does not read.
    QImage::Format decodedFormat = QImage::Format_Invalid;
    // Where the pixel data begins and should end, in bytes from the start; the end is -1 when
    // the headers do not say (run-length data of unstated size).
    long long dataStart = 0;
    long long dataEnd = -1;
};

// Read from the start of the device, which is left at the position it had.
BmpHeader ReadBmpHeader(QIODevice& device);

// A picture for Qt's BMP decoder to decode into, of the size and form it gives: it then
// writes only the pixels the file holds, and pixels a cut-off or run-length file leaves out
// are black (or the first colour), never what the memory held before. Null for a BMP whose
// form is not known beforehand.
QImage PreparedBmp(QIODevice& device, QSize size);
