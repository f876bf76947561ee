#include "BmpDecoder.h"

#include "BmpHeader.h"
#include "PictureSource.h"

PictureProbe BmpDecoder::Probe(PictureSource& source, long long budget) {
    QtHeader header = ReadQtHeader(source, m_format, true);
    if (header.defect == PictureDefect::DamagedHeader && ReadBmpHeader(source).cutOff) {
        header.defect = PictureDefect::CutOff;
    }
    if (header.defect != PictureDefect::None) {
        return Refused(header.defect);
    }
    m_headerComplaints = header.complaints;
    PictureProbe probe = ProbeOf(header);
    m_size = probe.upright;
    m_decodeBytes = WholeBytes(header, source.size());
    probe.decodeBytes = m_decodeBytes;
    if (m_decodeBytes > budget) {
        return Refused(PictureDefect::TooLarge);
    }
    const BmpHeader bmp = ReadBmpHeader(source);
    if (source.size() <= bmp.dataStart) {
        return Refused(PictureDefect::CutOff);  // not a pixel of it
    }
    m_cutOff = bmp.dataEnd > source.size();
    return probe;
}

DecodedPicture BmpDecoder::Decode(PictureSource& source, QSize) {
    return DecodeWhole(source, PreparedBmp(source, m_size), m_cutOff);
}
