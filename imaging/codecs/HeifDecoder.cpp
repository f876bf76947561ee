#include "HeifDecoder.h"

#include "HeifPicture.h"
#include "PictureSource.h"

PictureProbe HeifDecoder::Probe(PictureSource& source, long long budget) {
    const HeifHeader header = ReadHeifHeader(source);
    if (source.ReadFailed()) {
        return Refused(PictureDefect::ReadError);
    }
    switch (header.status) {
        case HeifStatus::Read:
            break;
        case HeifStatus::Unsupported:
            return Refused(PictureDefect::NotAPicture);
        case HeifStatus::NoLibrary:
            return Refused(PictureDefect::HeifLibraryMissing);
        case HeifStatus::CutOff:
            return Refused(PictureDefect::CutOff);
        case HeifStatus::Damaged:
        case HeifStatus::OutOfMemory:
            return Refused(PictureDefect::DamagedHeader);
    }
    // libheif turns and mirrors the picture itself, as the file says.
    PictureProbe probe;
    probe.stored = header.size;
    probe.upright = header.size;
    probe.decodeBytes = header.decodeBytes;
    m_size = header.size;
    m_decodeBytes = header.decodeBytes;
    if (m_decodeBytes > budget) {
        return Refused(PictureDefect::TooLarge);
    }
    return probe;
}

DecodedPicture HeifDecoder::Decode(PictureSource& source, QSize) {
    DecodedPicture result;
    HeifStatus status = HeifStatus::Read;
    QImage picture = DecodeHeif(source, m_size, &status);
    if (ReadingFailed(source, result)) {
        return result;
    }
    switch (status) {
        case HeifStatus::Read:
            result.status = DecodeStatus::Decoded;
            result.picture = std::move(picture);
            break;
        case HeifStatus::OutOfMemory:
            result.status = DecodeStatus::OutOfMemory;
            break;
        default:
            result.defect =
                status == HeifStatus::CutOff ? PictureDefect::CutOff : PictureDefect::DamagedData;
            break;
    }
    return result;
}
