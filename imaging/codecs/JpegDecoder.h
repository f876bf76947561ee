#pragma once

#include <QByteArray>

#include "Decoder.h"
#include "JpegEighth.h"
#include "JpegFrame.h"

// JPEG files, decoded at the size they are drawn at: by Qt's reader at the smallest DCT scale
// (1/8, 1/4, 1/2) that still covers it, or, for a progressive file drawn at 1/8, by libjpeg
// directly without the scans that drawing does not use (JpegEighth.h). Its headers are
// walked first: what Qt's reader would keep of them, and files it should not be given.
class JpegDecoder : public Decoder {
public:
    // Signed: a file with a JPEG's signature. Guessed: one that only Qt's reader takes for a
    // JPEG (it asks for two bytes of the signature's three), given to it as it comes.
    enum Origin { Signed, Guessed };
    explicit JpegDecoder(Origin origin) : m_origin(origin) {}

    PictureProbe Probe(PictureSource& source, long long budget) override;
    long long DecodingBytes(QSize size) const override;
    DecodedPicture Decode(PictureSource& source, QSize size) override;

private:
    // Refuses what the headers show Qt's reader should not be given.
    PictureDefect WalkHeaders(PictureSource& source, long long budget);
    // The size Qt's reader is asked for: it scales the picture as stored, before it turns it.
    QSize Stored(QSize upright) const;
    // Whether a drawing of `size` (upright) is decoded at 1/8 through m_eighth.
    bool AtEighth(QSize size) const;

    Origin m_origin;
    QByteArray m_format;
    JpegFrame m_frame;
    JpegEnding m_ending = JpegEnding::Complete;
    EighthPlan m_eighth;  // how a progressive file is drawn at 1/8
    long long m_metadataBytes = 0;
    long long m_coefficientBytes = 0;  // what a file of several scans keeps while decoding
    QSize m_stored;
    QSize m_upright;
    QImageIOHandler::Transformations m_turn;
};
