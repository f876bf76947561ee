#pragma once

#include "Decoder.h"

// HEIF files (the HEIC photos of phones) through libheif (HeifPicture.h), decoded whole; a
// grid of tiles is decoded tile by tile (HeifTiles.h).
class HeifDecoder : public Decoder {
public:
    PictureProbe Probe(PictureSource& source, long long budget) override;
    long long DecodingBytes(QSize) const override { return m_decodeBytes; }
    DecodedPicture Decode(PictureSource& source, QSize size) override;

private:
    QSize m_size;
    long long m_decodeBytes = 0;
};
