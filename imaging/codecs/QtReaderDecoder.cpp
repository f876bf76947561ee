#include "QtReaderDecoder.h"

#include <QImageReader>
#include <algorithm>
#include <climits>

#include "DecodeMemory.h"
#include "PictureFormat.h"
#include "PictureSource.h"
#include "TiffMessages.h"
#include "platform/processes/DynamicLibrary.h"

namespace {

// Why a picture gives no size, when `reader` (of `format`, or of any format when that is
// empty) gave none.
PictureDefect HeaderDefect(PictureSource& device, const QByteArray& format,
                           const QImageReader& reader) {
    if (device.ReadFailed()) {
        return PictureDefect::ReadError;
    }
    if (format.isEmpty() && device.seek(0) && IsUnreadSignature(device.peek(8))) {
        return PictureDefect::UnreadKind;
    }
    // A reader of another kind knows it (TGA has no signature of its own), but gives no size.
    const QByteArray known =
        format.isEmpty() && device.seek(0) ? QImageReader::imageFormat(&device) : QByteArray();
    if (!known.isEmpty()) {
        const PictureFormat kind = FormatFromQtName(known);
        if (kind != PictureFormat::Jpeg && kind != PictureFormat::Gif &&
            kind != PictureFormat::Bmp && kind != PictureFormat::Png) {
            return PictureDefect::UnreadKind;
        }
    }
    if (reader.error() == QImageReader::UnsupportedFormatError && !CanOpenAFile()) {
        return PictureDefect::TooManyOpenFiles;  // the reader's library could not be loaded
    }
    if (format.isEmpty() && reader.error() == QImageReader::UnsupportedFormatError) {
        return PictureDefect::NotAPicture;
    }
    return PictureDefect::DamagedHeader;
}

}  // namespace

QtHeader ReadQtHeader(PictureSource& source, const QByteArray& format, bool topDown) {
    QtHeader header;
    const int complaintsBefore = TiffComplaints();
    QImageReader reader(&source, format);
    reader.setAutoDetectImageFormat(format.isEmpty());
    reader.setAutoTransform(true);
    header.stored = reader.size();
    QSize& stored = header.stored;
    if (topDown && stored.width() > 0 && stored.height() < 0 && stored.height() > INT_MIN) {
        stored.setHeight(-stored.height());
    }
    if (!reader.canRead() || !stored.isValid() || stored.isEmpty()) {
        header.defect = HeaderDefect(source, format, reader);
        return header;
    }
    header.format = reader.format();
    header.turn = reader.transformation();
    header.decodedForm = reader.imageFormat();
    header.complaints = TiffComplaints() - complaintsBefore;
    return header;
}

PictureProbe ProbeOf(const QtHeader& header) {
    PictureProbe probe;
    probe.stored = header.stored;
    probe.turn = header.turn;
    const bool quarter = (header.turn & QImageIOHandler::TransformationRotate90) != 0;
    probe.upright = quarter ? header.stored.transposed() : header.stored;
    return probe;
}

std::unique_ptr<QtReaderDecoder> QtReaderDecoder::Png() {
    return std::unique_ptr<QtReaderDecoder>(new QtReaderDecoder("png", {.pngChunks = true}));
}

std::unique_ptr<QtReaderDecoder> QtReaderDecoder::Tiff() {
    // Qt's TIFF reader turns the order of the channels of some layouts into a copy of the
    // picture, and libtiff holds a strip besides: a 385 KB file of 12000 × 11000 was seen to
    // take three pictures' worth.
    return std::unique_ptr<QtReaderDecoder>(
        new QtReaderDecoder("tiff", {.watchTiff = true, .leastPictures = 3}));
}

std::unique_ptr<QtReaderDecoder> QtReaderDecoder::WebP() {
    return std::unique_ptr<QtReaderDecoder>(new QtReaderDecoder("webp", {.readsFileFirst = true}));
}

std::unique_ptr<QtReaderDecoder> QtReaderDecoder::Gif() {
    return std::unique_ptr<QtReaderDecoder>(new QtReaderDecoder("gif"));
}

std::unique_ptr<QtReaderDecoder> QtReaderDecoder::Guessing() {
    return std::unique_ptr<QtReaderDecoder>(new QtReaderDecoder({}));
}

long long QtReaderDecoder::WholeBytes(const QtHeader& header, qint64 fileBytes) const {
    long long bytes = WholeDecodingBytes(header.stored, header.decodedForm);
    if (header.decodedForm == QImage::Format_Invalid) {
        return bytes;  // counted for two pictures already
    }
    if (m_kind.readsFileFirst) {
        bytes += fileBytes;
    }
    return std::max(bytes, m_kind.leastPictures * OpaqueBytes(header.stored));
}

PictureProbe QtReaderDecoder::Probe(PictureSource& source, long long budget) {
    if (m_kind.watchTiff) {
        WatchTiffOnce();
    }
    if (m_kind.pngChunks) {
        const PngHead head = ReadPngHead(source);
        if (source.ReadFailed() || head.claimsTooMuch) {
            return Refused(source.ReadFailed() ? PictureDefect::ReadError
                                               : PictureDefect::DamagedHeader);
        }
        m_metadataBytes = head.keptBytes;
        m_pngKey = head.key;
        if (m_metadataBytes > budget) {
            return Refused(PictureDefect::TooLarge);
        }
    }
    const QtHeader header = ReadQtHeader(source, m_format);
    if (header.defect != PictureDefect::None) {
        return Refused(header.defect);
    }
    m_format = header.format;
    m_headerComplaints = header.complaints;
    PictureProbe probe = ProbeOf(header);
    m_decodeBytes = m_metadataBytes + WholeBytes(header, source.size());
    probe.decodeBytes = m_decodeBytes;
    if (m_decodeBytes > budget) {
        return Refused(PictureDefect::TooLarge);
    }
    return probe;
}

DecodedPicture QtReaderDecoder::Decode(PictureSource& source, QSize) {
    return DecodeWhole(source, QImage(), false);
}

DecodedPicture QtReaderDecoder::DecodeWhole(PictureSource& source, QImage image, bool cutOff) {
    for (const PngColourKey::Hidden& chunk : m_pngKey.hidden) {
        source.Overlay(chunk.offset, chunk.chunk);
    }
    DecodedPicture result;
    result.defect = cutOff ? PictureDefect::CutOff : PictureDefect::None;
    bool read = false;
    bool complained = false;
    bool refused = false;
    {
        // A decoder may keep a reference to the picture it made: it must be gone before the
        // picture is changed, or that would copy it rather than work in place.
        QImageReader reader(&source, m_format);
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(true);
        const int complaintsBefore = TiffComplaints();
        const int refusalsBefore = TiffRefusals();
        read = reader.read(&image);
        // A TIFF whose strips hold less than its tags claim "reads", blank where data lacks.
        complained = TiffComplaints() - complaintsBefore > m_headerComplaints;
        refused = TiffRefusals() > refusalsBefore;
    }
    if (ReadingFailed(source, result)) {
        return result;
    }
    if (!read && refused) {
        result.defect = PictureDefect::UnreadKind;  // libtiff's reader is not made for its kind
        return result;
    }
    if (!read && !MemoryFor(m_decodeBytes)) {
        result.status = DecodeStatus::OutOfMemory;
        return result;
    }
    if (!read || complained) {
        result.defect = cutOff ? PictureDefect::CutOff : PictureDefect::DamagedData;
        return result;
    }
    ApplyPngColourKey(image, m_pngKey);
    result.status = DecodeStatus::Decoded;
    result.picture = std::move(image);
    return result;
}
