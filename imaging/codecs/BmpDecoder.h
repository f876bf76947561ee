#pragma once

#include "QtReaderDecoder.h"

// BMP files through Qt's reader, into a picture made beforehand: Qt's decoder then writes
// only the pixels the file holds, so a cut-off or run-length file leaves the rest black, never
// what the memory held before. A file cut off within its pixels is decoded as far as it goes.
class BmpDecoder : public QtReaderDecoder {
public:
    BmpDecoder() : QtReaderDecoder("bmp") {}

    PictureProbe Probe(PictureSource& source, long long budget) override;
    DecodedPicture Decode(PictureSource& source, QSize size) override;

private:
    QSize m_size;
    bool m_cutOff = false;  // the headers promise more pixel data than the file holds
};
