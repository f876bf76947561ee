#include "JpegFrame.h"

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

JpegFrame ParseFrame(const QByteArray& bytes, qsizetype at, int marker) {
    JpegFrame frame;
    const int length = Word(bytes, at);
    if (length < 8 || at + length > bytes.size()) {
        return frame;
    }
    frame.progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
    frame.height = Word(bytes, at + 3);
    frame.width = Word(bytes, at + 5);
    const int components = Byte(bytes, at + 7);
    if (length < 8 + 3 * components || components == 0) {
        return frame;
    }
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(bytes, at + 9 + 3 * c);
        maxH = std::max(maxH, sampling >> 4);
        maxV = std::max(maxV, sampling & 15);
    }
    for (int c = 0; c < components; ++c) {
        const int sampling = Byte(bytes, at + 9 + 3 * c);
        const long long columns = CeilDiv(CeilDiv(1LL * frame.width * (sampling >> 4), maxH), 8);
        const long long rows = CeilDiv(CeilDiv(1LL * frame.height * (sampling & 15), maxV), 8);
        frame.blocks += columns * rows;
    }
    frame.valid = frame.width > 0 && frame.height > 0;
    return frame;
}

}  // namespace

JpegFrame ReadJpegFrame(const QByteArray& bytes) {
    if (bytes.size() < 4 || Byte(bytes, 0) != 0xFF || Byte(bytes, 1) != 0xD8) {
        return {};
    }
    qsizetype at = 2;
    while (at + 4 <= bytes.size()) {
        if (Byte(bytes, at) != 0xFF) {
            return {};
        }
        const int marker = Byte(bytes, at + 1);
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (IsStartOfFrame(marker)) {
            return ParseFrame(bytes, at + 2, marker);
        }
        if (marker == 0xD9 || marker == 0xDA) {  // end of image or scan before any frame
            return {};
        }
        at += 2 + Word(bytes, at + 2);
    }
    return {};
}
