#include "HeifPicture.h"

#include <libheif/heif.h>

#include <QColorSpace>
#include <QIODevice>
#include <QPointF>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "HeifBoxes.h"
#include "HeifGrid.h"
#include "HeifHandles.h"
#include "HeifLibrary.h"
#include "HeifTiles.h"

namespace {

// libheif reads the boxes it needs, and later the coded data, straight from the device.
QIODevice& Device(void* userdata) {
    return *static_cast<QIODevice*>(userdata);
}
const heif_reader kDeviceReader = {
    1,
    [](void* userdata) -> int64_t { return Device(userdata).pos(); },
    [](void* data, size_t size, void* userdata) -> int {
        const auto wanted = static_cast<qint64>(size);
        return Device(userdata).read(static_cast<char*>(data), wanted) == wanted ? 0 : -1;
    },
    [](int64_t position, void* userdata) -> int {
        return Device(userdata).seek(position) ? 0 : -1;
    },
    [](int64_t target, void* userdata) {
        return target > Device(userdata).size() ? heif_reader_grow_status_size_beyond_eof
                                                : heif_reader_grow_status_size_reached;
    },
};

HeifStatus StatusOf(const heif_error& error) {
    switch (error.code) {
        case heif_error_Ok:
            return HeifStatus::Read;
        case heif_error_Unsupported_filetype:
        case heif_error_Unsupported_feature:
            return HeifStatus::Unsupported;
        case heif_error_Memory_allocation_error:
            return error.subcode == heif_suberror_Security_limit_exceeded ? HeifStatus::Damaged
                                                                          : HeifStatus::OutOfMemory;
        default:
            return error.subcode == heif_suberror_End_of_data ? HeifStatus::CutOff
                                                              : HeifStatus::Damaged;
    }
}

// The primary picture of the file on `device`; `sideLimit` > 0 bounds every picture side
// libheif allocates.
HeifHandlePtr OpenPrimary(QIODevice& device, HeifContextPtr& context, int sideLimit,
                          HeifStatus* status) {
    if (!LoadHeifLibrary()) {
        *status = HeifStatus::NoLibrary;
        return nullptr;
    }
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
    context.reset(heif_context_alloc());
    if (!context) {
        *status = HeifStatus::OutOfMemory;
        return nullptr;
    }
    if (sideLimit > 0) {
        heif_context_set_maximum_image_size_limit(context.get(), sideLimit);
    }
    heif_context_set_max_decoding_threads(context.get(), kTileThreads);
    device.seek(0);
    heif_error error =
        heif_context_read_from_reader(context.get(), &kDeviceReader, &device, nullptr);
    heif_image_handle* handle = nullptr;
    if (error.code == heif_error_Ok) {
        error = heif_context_get_primary_image_handle(context.get(), &handle);
    }
    *status = StatusOf(error);
    return HeifHandlePtr(handle);
}

// nclx: code points of H.273 instead of a profile. Only transfer curves Qt can express are
// taken; the others (PQ, HLG) stay as they are.
QColorSpace NclxColourSpace(const heif_color_profile_nclx& nclx) {
    QColorSpace::TransferFunction transfer = QColorSpace::TransferFunction::SRgb;
    float gamma = 0.0F;
    switch (nclx.transfer_characteristics) {
        case heif_transfer_characteristic_IEC_61966_2_1:
        case heif_transfer_characteristic_ITU_R_BT_709_5:
        case heif_transfer_characteristic_ITU_R_BT_601_6:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_10bit:
        case heif_transfer_characteristic_ITU_R_BT_2020_2_12bit:
        case heif_transfer_characteristic_unspecified:
            break;
        case heif_transfer_characteristic_linear:
            transfer = QColorSpace::TransferFunction::Linear;
            break;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.2F;
            break;
        case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
            transfer = QColorSpace::TransferFunction::Gamma;
            gamma = 2.8F;
            break;
        default:
            return {};
    }
    if ((nclx.color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
         nclx.color_primaries == heif_color_primaries_unspecified) &&
        transfer == QColorSpace::TransferFunction::SRgb) {
        return {};  // sRGB's own
    }
    return QColorSpace(QPointF(nclx.color_primary_white_x, nclx.color_primary_white_y),
                       QPointF(nclx.color_primary_red_x, nclx.color_primary_red_y),
                       QPointF(nclx.color_primary_green_x, nclx.color_primary_green_y),
                       QPointF(nclx.color_primary_blue_x, nclx.color_primary_blue_y), transfer,
                       gamma);
}

QColorSpace ColourSpaceOf(const heif_image_handle* handle) {
    switch (heif_image_handle_get_color_profile_type(handle)) {
        case heif_color_profile_type_prof:
        case heif_color_profile_type_rICC: {
            QByteArray profile(
                static_cast<qsizetype>(heif_image_handle_get_raw_color_profile_size(handle)), '\0');
            if (heif_image_handle_get_raw_color_profile(handle, profile.data()).code !=
                heif_error_Ok) {
                return {};
            }
            return QColorSpace::fromIccProfile(profile);
        }
        case heif_color_profile_type_nclx: {
            heif_color_profile_nclx* nclx = nullptr;
            if (heif_image_handle_get_nclx_color_profile(handle, &nclx).code != heif_error_Ok) {
                return {};
            }
            const QColorSpace space = NclxColourSpace(*nclx);
            heif_nclx_color_profile_free(nclx);
            return space;
        }
        default:
            return {};
    }
}

// What a decoding holds at its peak. The decoder makes pictures of the size the stream
// claims, whatever the boxes say; a stream smaller than the picture is one of its tiles,
// several of which are decoded at once. libheif holds the coded planes of the whole picture
// (a grid's canvas) while it makes its interleaved 8-bit result, and ours is made while that
// result is still there: 10 bytes a pixel for 8 bits without alpha, about what is measured.
long long HeifDecodeBytes(const HeifBoxes& claims, long long area, int bitsPerPixel, bool alpha,
                          long long fileBytes) {
    const long long bps = std::max(claims.bytesPerSample, bitsPerPixel > 8 ? 2 : 1);
    const long long coded = std::max(area, claims.largestCodedArea);
    const bool tiled = claims.largestCodedArea > 0 && claims.largestCodedArea < area;
    const long long planes = 3 * bps + (alpha ? bps : 0);
    const long long perPixel = planes + (alpha ? 4 : 3) + 4;
    const long long tiles =
        tiled ? kTileThreads * claims.largestCodedArea * (claims.halfSamplesPerPixel + 3) * bps : 0;
    return fileBytes + coded * perPixel + tiles;
}

// An 8-bit picture without transparency: a grid tile by tile, else the whole as planes of
// red, green and blue, which libheif makes before it interleaves them. Null when neither
// works out; the interleaved decoding then decides.
QImage DecodeEightBit(QIODevice& device, const heif_image_handle* handle,
                      const heif_decoding_options* options, QSize expected, int sideLimit,
                      HeifStatus* status) {
    // The grid box may claim another size than the picture the memory rule was applied to:
    // its canvas is made only when it covers as many pixels as that picture, turned or not.
    const std::optional<HeifTileGrid> grid = ReadHeifGrid(device);
    if (grid && static_cast<long long>(grid->width) * grid->height ==
                    static_cast<long long>(expected.width()) * expected.height()) {
        QImage tiled = DecodeGridTiles(*grid, sideLimit);
        if (tiled.size() == expected) {
            return tiled;
        }
    }
    heif_image* decoded = nullptr;
    const heif_error error =
        heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_444, options);
    const HeifImagePtr image(decoded);
    *status = StatusOf(error);
    if (*status != HeifStatus::Read) {
        return {};
    }
    if (heif_image_get_width(image.get(), heif_channel_R) != expected.width() ||
        heif_image_get_height(image.get(), heif_channel_R) != expected.height()) {
        *status = HeifStatus::Damaged;  // the stream has another size than its boxes say
        return {};
    }
    QImage result(expected, QImage::Format_RGB32);
    if (result.isNull()) {
        *status = HeifStatus::OutOfMemory;
        return {};
    }
    if (!PastePlanes(image.get(), {}, result.bits(), result.bytesPerLine(), expected)) {
        return {};
    }
    return result;
}

}  // namespace

bool IsHeifSignature(const QByteArray& first) {
    if (first.size() < 12 || first.mid(4, 4) != "ftyp") {
        return false;
    }
    static const QByteArray kBrands[] = {"heic", "heix", "heim", "heis", "hevc",
                                         "hevx", "hevm", "hevs", "mif1", "msf1"};
    return std::find(std::begin(kBrands), std::end(kBrands), first.mid(8, 4)) != std::end(kBrands);
}

HeifHeader ReadHeifHeader(QIODevice& device) {
    HeifHeader header;
    const HeifBoxes claims = ReadHeifBoxes(device);
    HeifContextPtr context;
    const HeifHandlePtr handle = OpenPrimary(device, context, 0, &header.status);
    if (!handle) {
        // libheif takes a file cut off in its boxes for one that lacks them.
        if (header.status == HeifStatus::Damaged && claims.cutOff) {
            header.status = HeifStatus::CutOff;
        }
        return header;
    }
    header.size = QSize(heif_image_handle_get_width(handle.get()),
                        heif_image_handle_get_height(handle.get()));
    if (!claims.readable || header.size.isEmpty()) {
        header.status = HeifStatus::Damaged;
        return header;
    }
    // Before cropping (clean aperture), the picture is as large as its ispe box says.
    const long long area = std::max(1LL * header.size.width() * header.size.height(),
                                    1LL * heif_image_handle_get_ispe_width(handle.get()) *
                                        heif_image_handle_get_ispe_height(handle.get()));
    const int bitsPerPixel = heif_image_handle_get_luma_bits_per_pixel(handle.get());
    header.decodeBytes =
        HeifDecodeBytes(claims, area, bitsPerPixel,
                        heif_image_handle_has_alpha_channel(handle.get()) != 0, device.size());
    return header;
}

QImage DecodeHeif(QIODevice& device, QSize expected, HeifStatus* status) {
    // No picture libheif makes (a grid's canvas above all) may have a side longer than the
    // picture's own, as its header gave it before cropping.
    HeifContextPtr context;
    HeifHandlePtr handle = OpenPrimary(device, context, 0, status);
    if (!handle) {
        return {};
    }
    const int side = std::max({expected.width(), expected.height(),
                               heif_image_handle_get_ispe_width(handle.get()),
                               heif_image_handle_get_ispe_height(handle.get())});
    handle = OpenPrimary(device, context, side + 1, status);
    if (!handle) {
        return {};
    }
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)> options(
        heif_decoding_options_alloc(), &heif_decoding_options_free);
    if (options) {
        options->convert_hdr_to_8bit = 1;
    }
    if (!alpha && heif_image_handle_get_luma_bits_per_pixel(handle.get()) == 8 &&
        heif_image_handle_get_chroma_bits_per_pixel(handle.get()) == 8) {
        QImage result =
            DecodeEightBit(device, handle.get(), options.get(), expected, side + 1, status);
        if (!result.isNull() || *status != HeifStatus::Read) {
            result.setColorSpace(ColourSpaceOf(handle.get()));
            return result;
        }
    }
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(
        handle.get(), &decoded, heif_colorspace_RGB,
        alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const HeifImagePtr image(decoded);
    *status = StatusOf(error);
    if (*status != HeifStatus::Read) {
        return {};
    }
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const QSize size(heif_image_get_width(image.get(), heif_channel_interleaved),
                     heif_image_get_height(image.get(), heif_channel_interleaved));
    if (pixels == nullptr || size != expected) {
        *status = HeifStatus::Damaged;  // the stream has another size than its boxes say
        return {};
    }
    QImage result(size, alpha ? (heif_image_handle_is_premultiplied_alpha(handle.get())
                                     ? QImage::Format_RGBA8888_Premultiplied
                                     : QImage::Format_RGBA8888)
                              : QImage::Format_RGB32);
    if (result.isNull()) {
        *status = HeifStatus::OutOfMemory;
        return {};
    }
    for (int y = 0; y < size.height(); ++y) {
        const uint8_t* from = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        if (alpha) {
            std::memcpy(result.scanLine(y), from, 4 * static_cast<std::size_t>(size.width()));
            continue;
        }
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < size.width(); ++x, from += 3) {
            row[x] = qRgb(from[0], from[1], from[2]);
        }
    }
    result.setColorSpace(ColourSpaceOf(handle.get()));
    return result;
}
