#include "PngColourKey.h"

#include <QIODevice>

namespace {

constexpr qint64 kSignature = 8;
constexpr int kRgb = 2;  // the colour type of RGB without alpha
// Its first letter small: a chunk a reader may pass over; the second small: no public kind.
constexpr char kHiddenType[] = "hiDE";
// A writer makes one tRNS chunk; a file of thousands of tiny chunks before its pixel data is
// no picture anyone made either.
constexpr std::size_t kHiddenLimit = 16;
constexpr int kChunkLimit = 10000;

quint32 Big32(const QByteArray& bytes, int at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

void PutBig32(QByteArray& bytes, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.append(char((value >> shift) & 0xFF));
    }
}

// PNG's CRC-32 over a chunk's type and data.
quint32 ChunkCrc(const QByteArray& typeAndData) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : typeAndData) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

quint16 Sample(const QByteArray& data, int at) {
    return quint16((static_cast<unsigned char>(data[at]) << 8) |
                   static_cast<unsigned char>(data[at + 1]));
}

// Walks the chunks from the header to the pixel data. libpng takes the first whole tRNS chunk
// (of six bytes and the right CRC) and passes over any other, so the whole ones are hidden:
// with the first hidden, the next would count.
PngColourKey WalkChunks(QIODevice& device) {
    PngColourKey key;
    qint64 at = kSignature;
    for (int chunks = 0; chunks < kChunkLimit && device.seek(at); ++chunks) {
        const QByteArray head = device.read(8);
        if (head.size() < 8 || head.mid(4) == "IDAT") {
            break;
        }
        const quint32 length = Big32(head, 0);
        if (head.mid(4) == "tRNS" && length == 6) {
            const QByteArray data = device.read(10);
            if (data.size() == 10 && ChunkCrc("tRNS" + data.left(6)) == Big32(data, 6)) {
                if (key.hidden.size() == kHiddenLimit) {
                    return {};
                }
                QByteArray chunk = head.left(4) + kHiddenType + data.left(6);
                PutBig32(chunk, ChunkCrc(kHiddenType + data.left(6)));
                key.hidden.push_back({at, chunk});
            }
        }
        at += 12 + qint64(length);
    }
    if (!key.hidden.empty()) {
        const QByteArray& first = key.hidden.front().chunk;
        key.applies = true;
        key.red = Sample(first, 8);
        key.green = Sample(first, 10);
        key.blue = Sample(first, 12);
    }
    return key;
}

}  // namespace

PngColourKey ReadPngColourKey(QIODevice& device) {
    const qint64 position = device.pos();
    PngColourKey key;
    // The header comes first: its bit depth and colour type stand 24 and 25 bytes in.
    if (device.seek(0)) {
        const QByteArray start = device.read(26);
        if (start.size() == 26 && start.mid(12, 4) == "IHDR" && start[24] == 16 &&
            start[25] == kRgb) {
            key = WalkChunks(device);
        }
    }
    device.seek(position);
    return key;
}

void ApplyPngColourKey(QImage& image, const PngColourKey& key) {
    if (!key.applies || image.format() != QImage::Format_RGBX64) {
        return;
    }
    image.reinterpretAsFormat(QImage::Format_RGBA64);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgba64*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (row[x].red() == key.red && row[x].green() == key.green &&
                row[x].blue() == key.blue) {
                row[x] = QRgba64::fromRgba64(0);
            }
        }
    }
}
