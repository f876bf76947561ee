#include "JpegDecoder.h"

#include <QImageReader>
#include <algorithm>

#include "DecodeMemory.h"
#include "PictureSource.h"
#include "QtReaderDecoder.h"

namespace {

// No encoder writes more scans than a few dozen, ten or so for a progressive JPEG; a file of
// thousands of tiny ones only keeps the decoder busy, every scan a pass over the picture.
constexpr int kScanLimit = 500;
// Qt's JPEG reader keeps every comment segment and makes text of each, in UTF-16 and once
// more joined into the picture's description: five times its bytes, measured.
constexpr long long kCommentCost = 5;

// The pixels decoded at 1/denominator, four bytes each.
long long DecodedPixelBytes(QSize stored, int denominator) {
    return 4 * ((static_cast<long long>(stored.width()) + denominator - 1) / denominator) *
           ((static_cast<long long>(stored.height()) + denominator - 1) / denominator);
}

// A file of several scans keeps all its coefficients (64 values of 2 bytes per block) while
// it is decoded, at any scale.
long long CoefficientBytes(const JpegFrame& frame) {
    return frame.multiScan ? frame.blocks * 128 : 0;
}

// The scale Qt's JPEG reader decodes at for a drawing of `size` (both as stored): the
// largest of 1/8, 1/4, 1/2 that still covers it.
int ScaleDenominator(QSize stored, QSize size) {
    if (size == stored || size.width() <= 0 || size.height() <= 0) {
        return 1;
    }
    const int ratio = std::min(stored.width() / size.width(), stored.height() / size.height());
    return ratio >= 8 ? 8 : ratio >= 4 ? 4 : ratio >= 2 ? 2 : 1;
}

}  // namespace

PictureDefect JpegDecoder::WalkHeaders(PictureSource& source, long long budget) {
    // Everything Qt's reader would keep of the file is counted before it reads a byte.
    m_frame = ReadJpegFrame(source);
    const JpegWalk walk = WalkJpeg(source);
    if (source.ReadFailed()) {
        return PictureDefect::ReadError;
    }
    if (m_frame.valid && m_frame.unreadKind) {
        return PictureDefect::UnreadKind;
    }
    if (walk.scans > kScanLimit) {
        return PictureDefect::TooManyScans;
    }
    m_metadataBytes = kCommentCost * walk.commentBytes + walk.keptBytes;
    m_ending = walk.ending;
    m_eighth = PlanEighthDecoding(m_frame, walk);
    return m_metadataBytes > budget ? PictureDefect::TooLarge : PictureDefect::None;
}

PictureProbe JpegDecoder::Probe(PictureSource& source, long long budget) {
    if (m_origin == Signed) {
        if (const PictureDefect refused = WalkHeaders(source, budget);
            refused != PictureDefect::None) {
            return Refused(refused);
        }
    }
    QtHeader header = ReadQtHeader(source, m_origin == Signed ? "jpeg" : QByteArray());
    if (m_origin == Signed && header.defect == PictureDefect::DamagedHeader &&
        ReadJpegFrame(source).cutOff) {
        header.defect = PictureDefect::CutOff;
    }
    if (header.defect != PictureDefect::None) {
        return Refused(header.defect);
    }
    m_format = header.format;
    PictureProbe probe = ProbeOf(header);
    probe.decodesAtSize = true;
    m_stored = probe.stored;
    m_upright = probe.upright;
    m_turn = probe.turn;
    m_coefficientBytes = CoefficientBytes(m_frame);
    // Its smallest decoding is at 1/8.
    probe.decodeBytes = m_metadataBytes +
                        (m_eighth.applies ? m_eighth.coefficientBytes : m_coefficientBytes) +
                        DecodedPixelBytes(m_stored, 8);
    if (probe.decodeBytes > budget) {
        return Refused(PictureDefect::TooLarge);
    }
    return probe;
}

QSize JpegDecoder::Stored(QSize upright) const {
    return (m_turn & QImageIOHandler::TransformationRotate90) != 0 ? upright.transposed() : upright;
}

bool JpegDecoder::AtEighth(QSize size) const {
    return m_eighth.applies && size != m_upright && DecodedAtEighth(m_stored, Stored(size));
}

long long JpegDecoder::DecodingBytes(QSize size) const {
    const int denominator = ScaleDenominator(m_stored, Stored(size));
    const long long coefficients = AtEighth(size) ? m_eighth.coefficientBytes : m_coefficientBytes;
    return m_metadataBytes + coefficients + DecodedPixelBytes(m_stored, denominator);
}

DecodedPicture JpegDecoder::Decode(PictureSource& source, QSize size) {
    QImage image;
    bool read = false;
    if (AtEighth(size)) {
        image = DecodeJpegAtEighth(source, m_eighth, Stored(size), m_turn);
        read = !image.isNull();
    } else {
        QImageReader reader(&source, m_format);
        reader.setAutoDetectImageFormat(false);
        reader.setAutoTransform(true);
        if (size != m_upright) {
            reader.setScaledSize(Stored(size));
        }
        read = reader.read(&image);
    }
    // The decoder makes up what a damaged file lacks (grey, mostly): say so.
    DecodedPicture result;
    result.defect = m_ending == JpegEnding::CutOff    ? PictureDefect::CutOff
                    : m_ending == JpegEnding::Damaged ? PictureDefect::DamagedData
                                                      : PictureDefect::None;
    if (ReadingFailed(source, result)) {
        return result;
    }
    if (!read && !MemoryFor(DecodingBytes(size) + 4LL * size.width() * size.height())) {
        result.status = DecodeStatus::OutOfMemory;
        return result;
    }
    if (!read) {
        if (result.defect == PictureDefect::None) {
            result.defect = PictureDefect::DamagedData;
        }
        return result;
    }
    result.status = DecodeStatus::Decoded;
    result.picture = std::move(image);
    return result;
}
