#include "JpegFrame.h"

#include <QBuffer>
#include <algorithm>

namespace {

int Byte(const QByteArray& bytes, qsizetype at) {
    return static_cast<unsigned char>(bytes[at]);
}

int Word(const QByteArray& bytes, qsizetype at) {
    return (Byte(bytes, at) << 8) | Byte(bytes, at + 1);
}

bool IsStartOfFrame(int marker) {
    // C0..CF except the huffman-table (C4), arithmetic-conditioning (CC) and JPG (C8) markers.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

long long CeilDiv(long long a, long long b) {
    return (a + b - 1) / b;
}

long long RoundUp(long long a, long long b) {
    return b == 0 ? a : CeilDiv(a, b) * b;
}

// `segment` holds the frame header's length field and what follows.
JpegFrame ParseFrame(const QByteArray& segment, int marker) {
    JpegFrame frame;
    if (segment.size() < 8) {
        return frame;
    }
    frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    frame.height = Word(segment, 3);
    frame.width = Word(segment, 5);
    const int components = Byte(segment, 7);
    if (segment.size() < 8 + 3 * components || components == 0) {
        return frame;
    }
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(segment, 9 + 3 * c);
        maxH = std::max(maxH, sampling >> 4);
        maxV = std::max(maxV, sampling & 15);
    }
    for (int c = 0; c < components; ++c) {
        // The decoder rounds each component's blocks up to whole sampling units.
        const int h = Byte(segment, 9 + 3 * c) >> 4;
        const int v = Byte(segment, 9 + 3 * c) & 15;
        const long long columns = CeilDiv(1LL * frame.width * h, 8LL * maxH);
        const long long rows = CeilDiv(1LL * frame.height * v, 8LL * maxV);
        frame.blocks += RoundUp(columns, h) * RoundUp(rows, v);
    }
    frame.valid = frame.width > 0 && frame.height > 0;
    return frame;
}

// Walks the segments from the start of the file to the first scan header, skipping over the
// others without reading them.
JpegFrame FindFrame(QIODevice& device) {
    if (!device.seek(0) || device.read(2) != QByteArray("\xFF\xD8", 2)) {
        return {};
    }
    JpegFrame frame;
    int components = 0;
    for (;;) {
        QByteArray marker = device.read(2);
        while (marker.size() == 2 && Byte(marker, 0) == 0xFF && Byte(marker, 1) == 0xFF) {
            marker = marker.right(1) + device.read(1);  // fill bytes
        }
        if (marker.size() < 2 || Byte(marker, 0) != 0xFF || Byte(marker, 1) == 0xD9) {
            return frame;  // no scan: counted as the costlier kind
        }
        const int code = Byte(marker, 1);
        const QByteArray length = device.peek(2);
        if (length.size() < 2) {
            return frame;
        }
        if (code == 0xDA) {
            const QByteArray scan = device.read(3);
            if (frame.valid && scan.size() == 3) {
                // Libjpeg's own test: one scan holds everything only if it names every
                // component of a sequential frame.
                frame.multiScan = frame.progressive || Byte(scan, 2) < components;
            }
            return frame;
        }
        if (IsStartOfFrame(code)) {
            const QByteArray segment = device.read(Word(length, 0));
            frame = ParseFrame(segment, code);
            components = segment.size() > 7 ? Byte(segment, 7) : 0;
            continue;
        }
        if (!device.seek(device.pos() + Word(length, 0))) {
            return frame;
        }
    }
}

}  // namespace

JpegFrame ReadJpegFrame(QIODevice& device) {
    const qint64 position = device.pos();
    const JpegFrame frame = FindFrame(device);
    device.seek(position);
    return frame;
}

JpegFrame ReadJpegFrame(const QByteArray& bytes) {
    QByteArray copy = bytes;  // shares the data
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return ReadJpegFrame(buffer);
}
