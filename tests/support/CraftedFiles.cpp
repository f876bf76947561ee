#include "CraftedFiles.h"

#include <QtEndian>
#include <array>
#include <functional>
#include <vector>

#include "Bytes.h"

namespace {

// A TIFF tag: its number, type, count and value (or where its values stand).
void PutTiffEntry(QByteArray& bytes, const quint32 (&entry)[4]) {
    PutLe16(bytes, int(entry[0]));
    PutLe16(bytes, int(entry[1]));
    PutLe32(bytes, entry[2]);
    PutLe32(bytes, entry[3]);
}

// Where a JPEG's frame header's marker stands, or -1.
qsizetype FrameHeader(const QByteArray& jpeg) {
    for (qsizetype at = 2; at + 12 < jpeg.size();) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
            marker != 0xCC) {
            return at;
        }
        at += 2 + ((static_cast<unsigned char>(jpeg[at + 2]) << 8) |
                   static_cast<unsigned char>(jpeg[at + 3]));
    }
    return -1;
}

}  // namespace

QByteArray JpegInTiff(const QByteArray& jpeg, int width, int height, bool unknownTag) {
    const quint32 ifd = 8 + quint32(jpeg.size());
    const int count = unknownTag ? 11 : 10;
    const quint32 samples = ifd + 2 + quint32(count) * 12 + 4;
    QByteArray tiff("II*\0", 4);
    PutLe32(tiff, ifd);
    tiff += jpeg;
    PutLe16(tiff, count);
    const quint32 entries[][4] = {{256, 4, 1, quint32(width)},
                                  {257, 4, 1, quint32(height)},
                                  {258, 3, 3, samples},
                                  {259, 3, 1, 7},  // JPEG
                                  {262, 3, 1, 6},  // YCbCr
                                  {273, 4, 1, 8},
                                  {277, 3, 1, 3},
                                  {278, 4, 1, quint32(height)},
                                  {279, 4, 1, quint32(jpeg.size())},
                                  {284, 3, 1, 1},
                                  {65000, 3, 1, 1}};  // a maker's own, unknown to libtiff
    for (int i = 0; i < count; ++i) {
        PutTiffEntry(tiff, entries[i]);
    }
    PutLe32(tiff, 0);
    PutLe16(tiff, 8), PutLe16(tiff, 8), PutLe16(tiff, 8);
    return tiff;
}

QByteArray DeflateTiffOfZeros(int width, int height) {
    constexpr int kRows = 100;
    const int strips = (height + kRows - 1) / kRows;
    // qCompress puts the length before zlib's own stream.
    const QByteArray strip = qCompress(QByteArray(qsizetype(width) * 3 * kRows, '\0'), 9).mid(4);
    const quint32 ifd = 8 + quint32(strip.size());
    const quint32 arrays = ifd + 2 + 11 * 12 + 4;
    QByteArray tiff("II*\0", 4);
    PutLe32(tiff, ifd);
    tiff += strip;
    PutLe16(tiff, 11);
    const quint32 entries[][4] = {{256, 4, 1, quint32(width)},
                                  {257, 4, 1, quint32(height)},
                                  {258, 3, 3, arrays},
                                  {259, 3, 1, 8},
                                  {262, 3, 1, 2},
                                  {273, 4, quint32(strips), arrays + 6},
                                  {277, 3, 1, 3},
                                  {278, 4, 1, kRows},
                                  {279, 4, quint32(strips), arrays + 6 + 4 * quint32(strips)},
                                  {284, 3, 1, 1},
                                  {339, 3, 1, 1}};
    for (const auto& e : entries) {
        PutTiffEntry(tiff, e);
    }
    PutLe32(tiff, 0);
    PutLe16(tiff, 8), PutLe16(tiff, 8), PutLe16(tiff, 8);
    for (int i = 0; i < strips; ++i) {
        PutLe32(tiff, 8);
    }
    for (int i = 0; i < strips; ++i) {
        PutLe32(tiff, quint32(strip.size()));
    }
    return tiff;
}

QByteArray WithComments(const QByteArray& jpeg, int count, int bytes) {
    QByteArray segment("\xFF\xFE");
    PutWord(segment, bytes + 2);
    segment += QByteArray(bytes, 'A');
    return jpeg.left(2) + segment.repeated(count) + jpeg.mid(2);
}

QByteArray WithRepeatedScan(const QByteArray& jpeg, int count) {
    const qsizetype last = jpeg.lastIndexOf("\xFF\xDA");
    const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
    return jpeg.left(jpeg.size() - 2) + scan.repeated(count) + QByteArray("\xFF\xD9");
}

QByteArray WithFrameKind(const QByteArray& jpeg, int marker, int precision) {
    QByteArray patched = jpeg;
    const qsizetype at = FrameHeader(patched);
    if (at >= 0) {
        patched[at + 1] = char(marker);
        patched[at + 4] = char(precision);
    }
    return patched;
}

namespace {

// A TIFF's values of type SHORT: in the entry itself when two fit, else among `arrays`, which
// stand at `arraysAt` in the file.
quint32 Shorts(const std::vector<int>& values, QByteArray& arrays, quint32 arraysAt) {
    if (values.size() <= 2) {
        return quint32(values[0]) | (values.size() == 2 ? quint32(values[1]) << 16 : 0);
    }
    const quint32 at = arraysAt + quint32(arrays.size());
    for (const int value : values) {
        PutLe16(arrays, value);
    }
    return at;
}

// A little-endian TIFF: its 8-byte header, `data`, the one directory of `entries` (tag order)
// and the arrays the entries point to, which `entries` makes knowing where they will stand.
using TiffEntries = std::vector<std::array<quint32, 4>>;
QByteArray Tiff(const QByteArray& data, int count,
                const std::function<TiffEntries(QByteArray&, quint32)>& entries) {
    const quint32 ifd = 8 + quint32(data.size());
    QByteArray arrays;
    const TiffEntries made = entries(arrays, ifd + 2 + quint32(count) * 12 + 4);
    QByteArray tiff("II*\0", 4);
    PutLe32(tiff, ifd);
    tiff += data;
    PutLe16(tiff, int(made.size()));
    for (const auto& e : made) {
        PutTiffEntry(tiff, {e[0], e[1], e[2], e[3]});
    }
    PutLe32(tiff, 0);
    return tiff + arrays;
}

}  // namespace

QByteArray PlainTiff(int width, int height, int samples, int bits, int sampleFormat,
                     const QByteArray& pixels, int compression) {
    const bool alpha = samples == 2 || samples == 4;
    return Tiff(pixels, alpha ? 12 : 11, [&](QByteArray& arrays, quint32 arraysAt) {
        const auto each = [&](int value) {
            return Shorts(std::vector<int>(std::size_t(samples), value), arrays, arraysAt);
        };
        TiffEntries entries = {{256, 4, 1, quint32(width)},
                               {257, 4, 1, quint32(height)},
                               {258, 3, quint32(samples), each(bits)},
                               {259, 3, 1, quint32(compression)},
                               {262, 3, 1, samples >= 3 ? 2u : 1u},
                               {273, 4, 1, 8},
                               {277, 3, 1, quint32(samples)},
                               {278, 4, 1, quint32(height)},
                               {279, 4, 1, quint32(pixels.size())},
                               {284, 3, 1, 1}};
        if (alpha) {
            entries.push_back({338, 3, 1, 2});  // unassociated alpha
        }
        entries.push_back({339, 3, quint32(samples), each(sampleFormat)});
        return entries;
    });
}

QByteArray OldStyleJpegTiff(const QByteArray& jpeg, int width, int height, int h, int v) {
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    const qsizetype data = scan + 2 + ((uchar(jpeg[scan + 2]) << 8) | uchar(jpeg[scan + 3]));
    const quint32 strip = 8 + quint32(data);
    return Tiff(jpeg, 13, [&](QByteArray& arrays, quint32 arraysAt) {
        return TiffEntries{{256, 4, 1, quint32(width)},
                           {257, 4, 1, quint32(height)},
                           {258, 3, 3, Shorts({8, 8, 8}, arrays, arraysAt)},
                           {259, 3, 1, 6},  // old-style JPEG
                           {262, 3, 1, 6},  // YCbCr
                           {273, 4, 1, strip},
                           {277, 3, 1, 3},
                           {278, 4, 1, quint32(height)},
                           {279, 4, 1, quint32(jpeg.size() - data)},
                           {284, 3, 1, 1},
                           {513, 4, 1, 8},  // the tables: the JPEG up to its scan
                           {514, 4, 1, quint32(data)},
                           {530, 3, 2, Shorts({h, v}, arrays, arraysAt)}};
    });
}

namespace {

constexpr qsizetype kAfterPngHeader = 8 + 12 + 13;  // the signature and IHDR

quint32 Crc32(const QByteArray& bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc = table[(crc ^ uchar(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace

QByteArray WithPngChunk(const QByteArray& png, const char* type, const QByteArray& data,
                        bool rightCrc) {
    QByteArray chunk;
    PutWord(chunk, int(data.size() >> 16));
    PutWord(chunk, int(data.size() & 0xFFFF));
    chunk += QByteArray(type, 4) + data;
    const quint32 crc = Crc32(QByteArray(type, 4) + data) ^ (rightCrc ? 0 : 1);
    PutWord(chunk, int(crc >> 16));
    PutWord(chunk, int(crc & 0xFFFF));
    return png.left(kAfterPngHeader) + chunk + png.mid(kAfterPngHeader);
}

QByteArray WithPngChunkClaiming(const QByteArray& png, const char* type, quint32 length) {
    QByteArray claim;
    PutWord(claim, int(length >> 16));
    PutWord(claim, int(length & 0xFFFF));
    return png.left(kAfterPngHeader) + claim + QByteArray(type, 4);
}

QByteArray HeicSignature() {
    return QByteArray(
        "\0\0\0\x18"
        "ftypheic\0\0\0\0mif1heic",
        24);
}

QByteArray Tga(int width, int height) {
    QByteArray tga(18, '\0');
    tga[2] = 2;  // uncompressed true colour
    tga[12] = char(width & 255), tga[13] = char(width >> 8);
    tga[14] = char(height & 255), tga[15] = char(height >> 8);
    tga[16] = 24;
    return tga + QByteArray(qsizetype(width) * height * 3, char(0x80));
}

namespace {

QByteArray Box(const char* type, const QByteArray& payload) {
    QByteArray box;
    PutWord(box, 0);
    PutWord(box, int(8 + payload.size()));
    return box + QByteArray(type, 4) + payload;
}

QByteArray FullBox(const char* type, int version, const QByteArray& payload) {
    return Box(type, QByteArray(1, char(version)) + QByteArray(3, '\0') + payload);
}

QByteArray Words(std::initializer_list<int> words) {
    QByteArray bytes;
    for (const int word : words) {
        PutWord(bytes, word);
    }
    return bytes;
}

QByteArray FoundBox(const QByteArray& file, const char* type) {
    const qsizetype at = file.indexOf(type) - 4;
    const auto size = qFromBigEndian<quint32>(file.constData() + at);
    return file.mid(at, size);
}

}  // namespace

QByteArray HeifGrid(const QByteArray& heic, int tile, int width, int height) {
    const QByteArray data = FoundBox(heic, "mdat").mid(8);
    const int columns = (width + tile - 1) / tile;
    const int rows = (height + tile - 1) / tile;
    const QByteArray grid =
        QByteArray(2, '\0') + char(rows - 1) + char(columns - 1) + Words({width, height});
    const auto infe = [](int id, const char* type) {
        return FullBox("infe", 2, Words({id, 0}) + QByteArray(type, 4) + QByteArray(1, '\0'));
    };
    const auto ispe = [](int w, int h) { return FullBox("ispe", 0, Words({0, w, 0, h})); };
    QByteArray references = Words({2, columns * rows});
    for (int i = 0; i < columns * rows; ++i) {
        PutWord(references, 1);
    }
    const QByteArray rest =
        FullBox("iinf", 0, Words({2}) + infe(1, "hvc1") + infe(2, "grid")) +
        FullBox("iref", 0, Box("dimg", references)) +
        Box("iprp", Box("ipco", FoundBox(heic, "hvcC") + ispe(tile, tile) + ispe(width, height)) +
                        FullBox("ipma", 0,
                                Words({0, 2, 1}) + QByteArray("\x02\x81\x02", 3) + Words({2}) +
                                    QByteArray("\x01\x03", 2)));
    const auto head = [&](int base) {
        const QByteArray iloc = FullBox(
            "iloc", 0,
            QByteArray("\x44\0", 2) +
                Words({2, 1, 0, 1, base >> 16, base & 0xFFFF, 0, int(data.size()), 2, 0, 1}) +
                Words({(base + int(data.size())) >> 16, (base + int(data.size())) & 0xFFFF, 0,
                       int(grid.size())}));
        const QByteArray hdlr =
            FullBox("hdlr", 0, QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
        return FoundBox(heic, "ftyp") +
               FullBox("meta", 0, hdlr + FullBox("pitm", 0, Words({2})) + iloc + rest);
    };
    const int start = int(head(0).size()) + 8;
    return head(start) + Box("mdat", data + grid);
}

QByteArray HeifGridOfTiles(const std::vector<QByteArray>& tiles, int tile, int width, int height,
                           const QByteArray& gridProperties, int essentialProperties) {
    const int count = int(tiles.size());
    const int gridId = count + 1;
    const int columns = (width + tile - 1) / tile;
    const int rows = (height + tile - 1) / tile;
    const QByteArray grid =
        QByteArray(2, '\0') + char(rows - 1) + char(columns - 1) + Words({width, height});
    const auto infe = [](int id, const char* type, int flags) {
        return Box("infe", QByteArray("\x02\0\0", 3) + char(flags) + Words({id, 0}) +
                               QByteArray(type, 4) + QByteArray(1, '\0'));
    };
    const auto ispe = [](int w, int h) { return FullBox("ispe", 0, Words({0, w, 0, h})); };
    QByteArray items = Words({gridId});
    QByteArray references = Words({gridId, count});
    QByteArray configurations;
    QByteArray associations;
    QByteArray coded;
    for (int i = 0; i < count; ++i) {
        // Tiles are hidden items, as phones write them.
        items += infe(i + 1, "hvc1", 1);
        PutWord(references, i + 1);
        configurations += FoundBox(tiles[size_t(i)], "hvcC");
        // Wide (16-bit) associations: the configuration, essential, then the tile size.
        associations += Words({i + 1}) + char(2) + Words({0x8000 | (i + 1), count + 1});
        coded += FoundBox(tiles[size_t(i)], "mdat").mid(8);
    }
    items += infe(gridId, "grid", 0);
    QByteArray gridAssociations = Words({count + 2});
    int extra = 0;
    for (qsizetype at = 0; at < gridProperties.size(); ++extra) {
        const auto size = qFromBigEndian<quint32>(gridProperties.constData() + at);
        at += size;
        gridAssociations +=
            Words({(extra < essentialProperties ? 0x8000 : 0) | (count + 3 + extra)});
    }
    associations += Words({gridId}) + char(1 + extra) + gridAssociations;
    const QByteArray rest =
        FullBox("iinf", 0, items) + FullBox("iref", 0, Box("dimg", references)) +
        Box("iprp",
            Box("ipco", configurations + ispe(tile, tile) + ispe(width, height) + gridProperties) +
                Box("ipma", QByteArray("\0\0\0\x01", 4) + Words({0, count + 1}) + associations));
    const auto head = [&](int base) {
        QByteArray locations = Words({count + 1});
        int at = base;
        for (int i = 0; i <= count; ++i) {
            const int length =
                i < count ? int(FoundBox(tiles[size_t(i)], "mdat").size() - 8) : int(grid.size());
            locations += Words({i + 1, 0, 1, at >> 16, at & 0xFFFF, length >> 16, length & 0xFFFF});
            at += length;
        }
        const QByteArray iloc = FullBox("iloc", 0, QByteArray("\x44\0", 2) + locations);
        const QByteArray hdlr =
            FullBox("hdlr", 0, QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
        return FoundBox(tiles.front(), "ftyp") +
               FullBox("meta", 0, hdlr + FullBox("pitm", 0, Words({gridId})) + iloc + rest);
    };
    const int start = int(head(0).size()) + 8;
    return head(start) + Box("mdat", coded + grid);
}
