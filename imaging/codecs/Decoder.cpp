#include "Decoder.h"

#include <QImageReader>

#include "BmpDecoder.h"
#include "HeifDecoder.h"
#include "JpegDecoder.h"
#include "PictureFormat.h"
#include "PictureSource.h"
#include "QtReaderDecoder.h"

std::unique_ptr<Decoder> ChooseDecoder(PictureSource& source) {
    switch (FormatFromSignature(source.peek(12))) {
        case PictureFormat::Jpeg:
            return std::make_unique<JpegDecoder>(JpegDecoder::Signed);
        case PictureFormat::Heif:
            return std::make_unique<HeifDecoder>();
        case PictureFormat::Bmp:
            return std::make_unique<BmpDecoder>();
        case PictureFormat::Png:
            return QtReaderDecoder::Png();
        case PictureFormat::Tiff:
            return QtReaderDecoder::Tiff();
        case PictureFormat::WebP:
            return QtReaderDecoder::WebP();
        case PictureFormat::Gif:
            return QtReaderDecoder::Gif();
        case PictureFormat::Unknown:
            break;
    }
    // Qt's JPEG reader takes a file for one from its first two bytes alone, and decodes it at
    // a reduced scale as it would any other; the other readers Qt may guess decode whole.
    const bool jpeg = FormatFromQtName(QImageReader::imageFormat(&source)) == PictureFormat::Jpeg;
    source.seek(0);
    if (jpeg) {
        return std::make_unique<JpegDecoder>(JpegDecoder::Guessed);
    }
    return QtReaderDecoder::Guessing();
}

PictureProbe Refused(PictureDefect why) {
    PictureProbe probe;
    probe.defect = why;
    return probe;
}

bool ReadingFailed(const PictureSource& source, DecodedPicture& result) {
    if (source.Stopped()) {
        result.status = DecodeStatus::Stopped;
        return true;
    }
    if (source.ReadFailed()) {
        result.status = DecodeStatus::Undecodable;
        result.defect = PictureDefect::ReadError;
        return true;
    }
    return false;
}
