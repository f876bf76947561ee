#include "BmpHeader.h"

#include <QIODevice>
#include <climits>
#include <cstdlib>

namespace {

// The headers' fields, little-endian.
long long Field(const QByteArray& bytes, int at, int size) {
    unsigned long long value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return static_cast<long long>(value);
}

long long Signed32(long long value) {
    return value >= 0x80000000LL ? value - 0x100000000LL : value;
}

constexpr int kFileHeader = 14;
constexpr int kCoreHeader = 12;  // OS/2: 16-bit sizes, no compression
constexpr int kInfoHeader = 40;
constexpr int kV4Header = 108;  // from here on the decoder reads an alpha mask
constexpr long long kRgb = 0;
constexpr long long kRle8 = 1;
constexpr long long kRle4 = 2;
constexpr long long kBitFields = 3;

}  // namespace

BmpHeader ReadBmpHeader(QIODevice& device) {
    const qint64 position = device.pos();
    if (!device.seek(0)) {
        return {};
    }
    const QByteArray bytes = device.read(kFileHeader + kV4Header);
    device.seek(position);
    BmpHeader header;
    if (bytes.size() < kFileHeader + kCoreHeader || !bytes.startsWith("BM")) {
        header.cutOff = bytes.startsWith("BM");
        return header;
    }
    const long long offset = Field(bytes, 10, 4);
    const long long infoSize = Field(bytes, 14, 4);
    long long width = 0, height = 0, bits = 0, compression = kRgb, imageSize = 0;
    bool alpha = false;
    if (infoSize == kCoreHeader) {
        width = Field(bytes, 18, 2);
        height = Field(bytes, 20, 2);
        bits = Field(bytes, 24, 2);
    } else if (infoSize >= kInfoHeader && bytes.size() < kFileHeader + kInfoHeader) {
        header.cutOff = true;
        return header;
    } else if (infoSize >= kInfoHeader) {
        width = Signed32(Field(bytes, 18, 4));
        height = std::llabs(Signed32(Field(bytes, 22, 4)));  // negative: stored top-down
        bits = Field(bytes, 28, 2);
        compression = Field(bytes, 30, 4);
        imageSize = Field(bytes, 34, 4);
        alpha = compression == kBitFields && infoSize >= kV4Header &&
                bytes.size() >= kFileHeader + kInfoHeader + 16 &&
                Field(bytes, kFileHeader + kInfoHeader + 12, 4) != 0;
    } else {
        return header;
    }
    header.valid = width > 0 && height > 0;
    header.dataStart = offset;
    switch (bits) {
        case 1:
            header.decodedFormat = QImage::Format_Mono;
            break;
        case 4:
        case 8:
            header.decodedFormat = QImage::Format_Indexed8;
            break;
        case 16:
        case 24:
        case 32:
            header.decodedFormat = alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
            break;
        default:
            break;
    }
    if (!header.valid) {
        return header;
    }
    if (compression == kRle8 || compression == kRle4) {
        header.dataEnd = imageSize > 0 ? offset + imageSize : -1;
    } else {
        // Sides of up to 2^31 and up to 65535 bits a pixel: the product may pass 2^63.
        const long long stride = (width * bits + 31) / 32 * 4;
        header.dataEnd =
            stride > (LLONG_MAX - offset) / height ? LLONG_MAX : offset + stride * height;
    }
    return header;
}

QImage PreparedBmp(QIODevice& device, QSize size) {
    const BmpHeader header = ReadBmpHeader(device);
    if (!header.valid || header.decodedFormat == QImage::Format_Invalid) {
        return {};
    }
    QImage image(size, header.decodedFormat);
    if (image.depth() == 32) {
        image.fill(Qt::black);
    } else {
        image.fill(0);
    }
    return image;
}
