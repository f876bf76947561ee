#include "PngHead.h"

#include <QIODevice>

namespace {

constexpr qint64 kSignature = 8;
constexpr int kRgb = 2;  // the colour type of RGB without alpha
// Its first letter small: a chunk a reader may pass over; the second small: no public kind.
constexpr char kHiddenType[] = "hiDE";
constexpr std::size_t kHiddenLimit = 16;  // a writer makes one tRNS chunk
constexpr long long kTextCost = 6;

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

// A whole tRNS chunk of 16-bit RGB (of six bytes and the right CRC), renamed: libpng takes
// the first whole one and passes over any other, so each is hidden, or the next would count.
bool HideColourKey(QIODevice& device, qint64 at, const QByteArray& head, PngColourKey& key) {
    const QByteArray data = device.read(10);
    if (data.size() < 10 || ChunkCrc("tRNS" + data.left(6)) != Big32(data, 6)) {
        return true;
    }
    if (key.hidden.size() == kHiddenLimit) {
        return false;
    }
    QByteArray chunk = head.left(4) + kHiddenType + data.left(6);
    PutBig32(chunk, ChunkCrc(kHiddenType + data.left(6)));
    key.hidden.push_back({at, chunk});
    return true;
}

}  // namespace

PngHead ReadPngHead(QIODevice& device) {
    const qint64 position = device.pos();
    PngHead png;
    // The header comes first: its bit depth and colour type stand 24 and 25 bytes in.
    const QByteArray start = device.seek(0) ? device.read(26) : QByteArray();
    const bool sixteenBitRgb =
        start.size() == 26 && start.mid(12, 4) == "IHDR" && start[24] == 16 && start[25] == kRgb;
    bool keyed = sixteenBitRgb;
    for (qint64 at = kSignature; device.seek(at);) {
        const QByteArray head = device.read(8);
        if (head.size() < 8 || head.mid(4) == "IDAT") {
            break;
        }
        const qint64 length = Big32(head, 0);
        if (length > device.size() - at - 12) {
            png.claimsTooMuch = true;
            break;
        }
        const bool text = head.mid(4) == "tEXt" || head.mid(4) == "zTXt" || head.mid(4) == "iTXt";
        png.keptBytes += (text ? kTextCost : 1) * length;
        if (keyed && head.mid(4) == "tRNS" && length == 6) {
            keyed = HideColourKey(device, at, head, png.key);
        }
        at += 12 + length;
    }
    if (keyed && !png.key.hidden.empty()) {
        const QByteArray& first = png.key.hidden.front().chunk;
        png.key.applies = true;
        png.key.red = Sample(first, 8);
        png.key.green = Sample(first, 10);
        png.key.blue = Sample(first, 12);
    } else {
        png.key.hidden.clear();
    }
    device.seek(position);
    return png;
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
