#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <memory>

#include "PictureDefect.h"

class PictureSource;

// What the headers of a picture say, read without decoding it.
struct PictureProbe {
    // Why the picture cannot be decoded; None when it can.
    PictureDefect defect = PictureDefect::None;
    QSize stored;   // as stored
    QSize upright;  // turned as the picture says (a JPEG's or TIFF's EXIF tag)
    QImageIOHandler::Transformations turn;  // what makes the stored picture upright
    // Memory the smallest decoding takes, the decoder's own buffers included.
    long long decodeBytes = 0;
    // Decoded at the size it is drawn at (a JPEG, at a reduced DCT scale); otherwise
    // decoded whole, once, and scaled from that.
    bool decodesAtSize = false;
};

// How a decoding went. A decoding stopped because the program is ending counts for nothing.
enum class DecodeStatus { Decoded, Undecodable, OutOfMemory, Stopped };

struct DecodedPicture {
    DecodeStatus status = DecodeStatus::Undecodable;
    // Decoded: the damage it was decoded with (a cut-off file: the decoder made up the rest);
    // otherwise why it was not decoded.
    PictureDefect defect = PictureDefect::None;
    // Upright; for a decoder that decodes at size, at about the size asked for.
    QImage picture;
};

// Reads one kind of picture. One is made for each picture, chosen from its first bytes
// (ChooseDecoder), probed once, and then asked for as many decodings as the picture is
// drawn at different sizes; it keeps what the probe learned for them. The source it is
// given is the whole picture each time, at its start.
class Decoder {
public:
    virtual ~Decoder() = default;

    // A picture whose smallest decoding needs more than `budget` bytes is refused as too
    // large, as soon as that is known: for some kinds before their headers are read, when
    // what a reader would keep of them alone is more.
    virtual PictureProbe Probe(PictureSource& source, long long budget) = 0;

    // After a probe that found no defect: the memory a decoding for a drawing of `size`
    // (upright) takes, the drawing itself not counted.
    virtual long long DecodingBytes(QSize size) const = 0;

    virtual DecodedPicture Decode(PictureSource& source, QSize size) = 0;
};

// The decoder for the picture `source` holds, from its first bytes; for a signature of no
// kind known here, the one Qt's reader guesses. `source` is left at its start.
std::unique_ptr<Decoder> ChooseDecoder(PictureSource& source);

// The probe of a picture refused for `why`.
PictureProbe Refused(PictureDefect why);

// After a decoding: whether the system failed to read the source, or the program's ending
// stopped the reading; if so, `result` says so and the decoding counts for nothing.
bool ReadingFailed(const PictureSource& source, DecodedPicture& result);
