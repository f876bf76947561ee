// Picture loading from memory, then what a conversion does with it: drawing at the output
// size (or turning), adjusting the colours, encoding into memory, and reading that back.
#include <QByteArray>
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "imaging/Adjustments.h"
#include "imaging/ConversionParams.h"
#include "imaging/Geometry.h"
#include "imaging/ImageBuffer.h"
#include "imaging/JpegFileWriter.h"
#include "imaging/Picture.h"

namespace {

// Huge claims are the tests' business (they take seconds to decode, even at 1/8 scale);
// here every input is to take milliseconds.
constexpr long long kMostDecodeBytes = 16LL * 1024 * 1024;
constexpr long long kMostPixels = 1LL << 24;

ConversionParams ParamsFrom(std::uint32_t digest) {
    ConversionParams params;
    params.TargetSize = 5 + static_cast<int>(digest % 60);
    params.Quality = static_cast<int>((digest >> 6) % 101);
    params.Resolution = (digest >> 13) % 2 == 0 ? 0 : 96;
    params.Orientation = static_cast<int>((digest >> 14) % 8);
    params.Brightness = static_cast<int>((digest >> 17) % 201) - 100;
    params.Contrast = static_cast<int>((digest >> 24) % 201) - 100;
    params.RedShift = static_cast<int>((digest >> 3) % 61) - 30;
    params.BlackAndWhite = (digest >> 31) & 1;
    return params;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    PrepareFuzzing(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPicture picture;
    if (!picture.LoadFromMemory(data, static_cast<long long>(size)) ||
        picture.DecodeBytes() > kMostDecodeBytes ||
        1LL * picture.Width() * picture.Height() > kMostPixels) {
        return 0;
    }
    const ConversionParams params = ParamsFrom(Digest(data, size));
    if (params.Orientation & Orientation::QuarterTurn) {
        picture.ExchangeSides();
    }
    const OutputSize out = ComputeOutputSize(picture.Width(), picture.Height(), params.TargetSize);
    ImageBuffer scaled;
    if (!scaled.Create(out.width, out.height)) {
        return 0;
    }
    const bool drawn =
        (params.Orientation & Orientation::QuarterTurn)
            ? RotateQuarterTurn(scaled.Dc(), out.width, out.height, picture, params.Orientation)
            : picture.Draw(&scaled.Dc(), CRect{0, 0, out.width, out.height}, false, false);
    if (!drawn) {
        return 0;
    }
    ApplyAdjustments(scaled.Dc(), params);
    JpegFileWriter writer;
    writer.SetQuality(params.Quality);
    writer.SetDensity(params.Resolution, true);
    QByteArray encoded;
    if (writer.WriteMemory(scaled.Section()->Bits(), out.width, out.height, encoded) !=
        JpegFileWriter::Ok) {
        __builtin_trap();  // our own picture must always encode
    }
    CPicture written;
    ImageBuffer preview;
    if (!written.LoadFromMemory(encoded.constData(), encoded.size()) ||
        written.Width() != out.width || written.Height() != out.height ||
        !preview.Create(out.width, out.height) ||
        !written.Draw(&preview.Dc(), CRect{0, 0, out.width, out.height}, true, true) ||
        written.Defect() != PictureDefect::None) {
        __builtin_trap();  // and read back whole
    }
    return 0;
}
