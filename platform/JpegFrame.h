#pragma once

#include <QByteArray>

class QIODevice;

// What the frame header of a JPEG file says, read without decoding anything.
struct JpegFrame {
    bool valid = false;
    bool progressive = false;
    int width = 0;
    int height = 0;
    // 8 × 8 blocks the decoder must keep for the whole picture when it is progressive.
    long long blocks = 0;
};

JpegFrame ReadJpegFrame(const QByteArray& bytes);
// The same from a device, which is left at the position it had.
JpegFrame ReadJpegFrame(QIODevice& device);
