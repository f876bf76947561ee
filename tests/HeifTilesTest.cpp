#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>

#include "imaging/codecs/HeifGrid.h"
#include "imaging/codecs/HeifLibrary.h"
#include "imaging/codecs/HeifPicture.h"
#include "imaging/codecs/HeifTiles.h"
#include "support/CraftedFiles.h"
#include "support/TestFiles.h"

namespace {

// A tile of its own colours, with noise, so that chroma sampling and tile edges matter.
QImage Tile(int index, int size) {
    QImage tile(size, size, QImage::Format_RGB32);
    QRandomGenerator noise(static_cast<quint32>(index + 1));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int n = static_cast<int>(noise.bounded(48));
            tile.setPixel(x, y,
                          qRgb((x * 4 + index * 40 + n) % 256, (y * 4 + n) % 256,
                               (index * 70 + x + y + n) % 256));
        }
    }
    return tile;
}

// libheif's decoding of the whole picture, as heif-convert makes it.
QImage WholeDecoding(const QByteArray& heic) {
    TestFolder folder;
    WriteAll(folder.File("in.heic"), heic);
    const ProcessResult run =
        RunProgram("heif-convert", {folder.File("in.heic"), folder.File("out.png")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return QImage(folder.File("out.png")).convertToFormat(QImage::Format_RGB32);
}

QByteArray Property(const char* type, char value) {
    return QByteArray("\0\0\0\x09", 4) + QByteArray(type, 4) + value;
}

}  // namespace

TEST(HeifTiles, GridsDecodeTileByTileToTheSamePixelsAsTheWholeGrid) {
    if (!HaveProgram("heif-enc") || !HaveProgram("heif-convert") || !LoadHeifLibrary()) {
        GTEST_SKIP() << "needs libheif with its encoder (libheif-examples)";
    }
    constexpr int kTile = 64;
    std::vector<QByteArray> tiles;
    for (int i = 0; i < 6; ++i) {
        tiles.push_back(EncodeHeic(Tile(i, kTile)));
    }
    // Three columns and two rows, the last column and row cut by the grid's size.
    const auto grid = [&](const QByteArray& properties, int essential) {
        return HeifGridOfTiles(tiles, kTile, 150, 100, properties, essential);
    };
    // A clean aperture of 100 x 80 pixels in the middle.
    const QByteArray clap = QByteArray::fromHex(
        "00000028636c6170000000640000000100000050000000010000000000000001000000000000000"
        "1");
    const struct {
        const char* name;
        QByteArray bytes;
        bool byTiles;
    } cases[] = {
        {"as laid", grid({}, 0), true},
        {"a quarter turn", grid(Property("irot", 1), 1), true},
        {"a half turn", grid(Property("irot", 2), 1), true},
        {"three quarter turns", grid(Property("irot", 3), 1), true},
        {"mirrored left to right", grid(Property("imir", 1), 1), true},
        {"mirrored top to bottom", grid(Property("imir", 0), 1), true},
        {"turned, then mirrored", grid(Property("irot", 1) + Property("imir", 1), 2), true},
        {"mirrored, then turned", grid(Property("imir", 1) + Property("irot", 1), 2), true},
        {"cropped: left to libheif", grid(clap, 1), false},
        {"one picture, no grid", tiles.front(), false},
    };
    for (const auto& c : cases) {
        const QImage whole = WholeDecoding(c.bytes);
        ASSERT_FALSE(whole.isNull()) << c.name;
        QBuffer device;
        device.setData(c.bytes);
        ASSERT_TRUE(device.open(QIODevice::ReadOnly));
        const std::optional<HeifTileGrid> layout = ReadHeifGrid(device);
        EXPECT_EQ(layout.has_value(), c.byTiles) << c.name;
        if (layout) {
            EXPECT_EQ(layout->tiles.size(), 6U) << c.name;
            EXPECT_TRUE(DecodeGridTiles(*layout, 1000) == whole) << c.name;
        }
        const HeifHeader header = ReadHeifHeader(device);
        ASSERT_EQ(header.size, whole.size()) << c.name;
        HeifStatus status = HeifStatus::Damaged;
        const QImage decoded = DecodeHeif(device, header.size, &status);
        EXPECT_EQ(status, HeifStatus::Read) << c.name;
        EXPECT_TRUE(decoded.convertToFormat(QImage::Format_RGB32) == whole) << c.name;
    }
}
