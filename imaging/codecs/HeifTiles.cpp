#include "HeifTiles.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#include "HeifHandles.h"
#include "HeifLibrary.h"

bool PastePlanes(const heif_image* image, QPoint origin, uchar* canvas, qsizetype bytesPerLine,
                 QSize canvasSize) {
    static constexpr heif_channel kChannels[] = {heif_channel_R, heif_channel_G, heif_channel_B};
    const uint8_t* planes[3] = {};
    int strides[3] = {};
    const int width = heif_image_get_width(image, heif_channel_R);
    const int height = heif_image_get_height(image, heif_channel_R);
    for (int c = 0; c < 3; ++c) {
        planes[c] = heif_image_get_plane_readonly(image, kChannels[c], &strides[c]);
        if (planes[c] == nullptr || heif_image_get_bits_per_pixel_range(image, kChannels[c]) != 8 ||
            heif_image_get_width(image, kChannels[c]) != width ||
            heif_image_get_height(image, kChannels[c]) != height) {
            return false;
        }
    }
    const int columns = std::min(width, canvasSize.width() - origin.x());
    const int rows = std::min(height, canvasSize.height() - origin.y());
    for (int y = 0; y < rows; ++y) {
        auto* row = reinterpret_cast<QRgb*>(canvas + (origin.y() + y) * bytesPerLine) + origin.x();
        const std::ptrdiff_t at[3] = {static_cast<std::ptrdiff_t>(y) * strides[0],
                                      static_cast<std::ptrdiff_t>(y) * strides[1],
                                      static_cast<std::ptrdiff_t>(y) * strides[2]};
        for (int x = 0; x < columns; ++x) {
            row[x] = qRgb(planes[0][at[0] + x], planes[1][at[1] + x], planes[2][at[2] + x]);
        }
    }
    return true;
}

namespace {

// One tile of a grid, decoded from its own file as libheif decodes it within the grid (to
// planes of red, green and blue, with the tile's own colour description) and put in place.
bool DecodeTile(const HeifGridTile& tile, int sideLimit, uchar* canvas, qsizetype bytesPerLine,
                QSize canvasSize) {
    const HeifContextPtr context(heif_context_alloc());
    if (!context) {
        return false;
    }
    heif_context_set_maximum_image_size_limit(context.get(), sideLimit);
    heif_image_handle* handle = nullptr;
    if (heif_context_read_from_memory_without_copy(context.get(), tile.file.constData(),
                                                   static_cast<size_t>(tile.file.size()), nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok) {
        return false;
    }
    const HeifHandlePtr owned(handle);
    heif_image* decoded = nullptr;
    const heif_error error =
        heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_444, nullptr);
    const HeifImagePtr image(decoded);
    return error.code == heif_error_Ok && image &&
           PastePlanes(image.get(), tile.origin, canvas, bytesPerLine, canvasSize);
}

// `picture` turned or mirrored pixel for pixel as libheif does it to a grid's planes.
QImage Turned(const QImage& picture, HeifTurn turn) {
    const int w = picture.width();
    const int h = picture.height();
    const bool across = turn == HeifTurn::Rotate90 || turn == HeifTurn::Rotate270;
    QImage turned(across ? h : w, across ? w : h, picture.format());
    if (turned.isNull()) {
        return {};
    }
    const auto pixel = [&picture](int x, int y) {
        return reinterpret_cast<const QRgb*>(picture.constScanLine(y))[x];
    };
    for (int y = 0; y < turned.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(turned.scanLine(y));
        for (int x = 0; x < turned.width(); ++x) {
            switch (turn) {
                case HeifTurn::Rotate90:
                    row[x] = pixel(w - 1 - y, x);
                    break;
                case HeifTurn::Rotate180:
                    row[x] = pixel(w - 1 - x, h - 1 - y);
                    break;
                case HeifTurn::Rotate270:
                    row[x] = pixel(y, h - 1 - x);
                    break;
                case HeifTurn::MirrorLeftRight:
                    row[x] = pixel(w - 1 - x, y);
                    break;
                case HeifTurn::MirrorUpDown:
                    row[x] = pixel(x, h - 1 - y);
                    break;
            }
        }
    }
    return turned;
}

}  // namespace

QImage DecodeGridTiles(const HeifTileGrid& grid, int sideLimit) {
    QImage canvas(grid.width, grid.height, QImage::Format_RGB32);
    if (canvas.isNull()) {
        return {};
    }
    uchar* const bits = canvas.bits();
    const qsizetype bytesPerLine = canvas.bytesPerLine();
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        for (std::size_t i = next++; i < grid.tiles.size() && !failed; i = next++) {
            if (!DecodeTile(grid.tiles[i], sideLimit, bits, bytesPerLine, canvas.size())) {
                failed = true;
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(
        {kTileThreads, std::max(1U, std::thread::hardware_concurrency()), grid.tiles.size()});
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < threads) {
            helpers.emplace_back(work);
        }
    } catch (const std::system_error&) {
        // Fewer threads; this one decodes in any case.
    }
    work();
    for (std::thread& helper : helpers) {
        helper.join();
    }
    if (failed) {
        return {};
    }
    for (const HeifTurn turn : grid.turns) {
        canvas = Turned(canvas, turn);
    }
    return canvas;
}
