#pragma once

#include <QByteArray>

class QIODevice;

// What the frame header of a JPEG file and the header of its first scan say, read without
// decoding anything.
struct JpegFrame {
    bool valid = false;
    bool progressive = false;
    // The decoder keeps the coefficients of the whole picture for any file that is not one
    // scan holding every component: progressive files, and sequential ones (Huffman or
    // arithmetic) that give each component, or some of them, scans of their own. A file
    // whose first scan cannot be found counts as one of these.
    bool multiScan = true;
    int width = 0;
    int height = 0;
    // 8 × 8 blocks of the whole picture, as the decoder stores them when it keeps them all.
    long long blocks = 0;
};

JpegFrame ReadJpegFrame(const QByteArray& bytes);
// The same from a device, which is left at the position it had.
JpegFrame ReadJpegFrame(QIODevice& device);
