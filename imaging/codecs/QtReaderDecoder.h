#pragma once

#include <QByteArray>
#include <memory>

#include "Decoder.h"
#include "PngHead.h"

// What Qt's reader says of a picture's headers.
struct QtHeader {
    // Why they give no size; None when they do.
    PictureDefect defect = PictureDefect::None;
    QByteArray format;  // the reader's name for the kind, guessed or given
    QSize stored;
    QImageIOHandler::Transformations turn;  // what makes the stored picture upright
    // The form the reader decodes into; Format_Invalid when it does not tell beforehand.
    QImage::Format decodedForm = QImage::Format_Invalid;
    // What libtiff said about the headers alone: a decoding says it again.
    int complaints = 0;
};

// The headers through Qt's reader of `format`, or of the kind it guesses when that is empty.
// A picture stored top-down gives a negative height, turned into its own when `topDown`.
QtHeader ReadQtHeader(PictureSource& source, const QByteArray& format, bool topDown = false);

// A probe with the sizes and turn of `header`.
PictureProbe ProbeOf(const QtHeader& header);

// Pictures Qt's own readers decode, whole: GIF, PNG, WebP, TIFF, and whatever Qt guesses for
// a signature of no kind known here (TGA, for one).
class QtReaderDecoder : public Decoder {
public:
    // A PNG's chunks before its pixels are read first: libpng takes the memory each claims
    // as it meets it, and a 16-bit RGB one with a transparent colour needs help.
    static std::unique_ptr<QtReaderDecoder> Png();
    // libtiff is watched: it goes on past data it cannot decode, saying so only in messages.
    static std::unique_ptr<QtReaderDecoder> Tiff();
    static std::unique_ptr<QtReaderDecoder> WebP();
    static std::unique_ptr<QtReaderDecoder> Gif();
    static std::unique_ptr<QtReaderDecoder> Guessing();

    PictureProbe Probe(PictureSource& source, long long budget) override;
    long long DecodingBytes(QSize) const override { return m_decodeBytes; }
    DecodedPicture Decode(PictureSource& source, QSize size) override;

protected:
    // What sets one kind apart from the others Qt reads.
    struct Kind {
        bool pngChunks = false;
        bool watchTiff = false;
        bool readsFileFirst = false;  // its reader reads the whole file before it decodes
        int leastPictures = 0;        // what the decoding takes at least, in opaque pictures
    };
    explicit QtReaderDecoder(QByteArray format) : m_format(std::move(format)) {}
    QtReaderDecoder(QByteArray format, Kind kind) : m_format(std::move(format)), m_kind(kind) {}
    // What the whole decoding takes, from the header.
    long long WholeBytes(const QtHeader& header, qint64 fileBytes) const;
    // `image` may come prepared for the reader to write into. A file `cutOff` is decoded as
    // far as it goes, and counts as cut off rather than damaged when it fails.
    DecodedPicture DecodeWhole(PictureSource& source, QImage image, bool cutOff);

    QByteArray m_format;
    long long m_decodeBytes = 0;
    int m_headerComplaints = 0;

private:
    Kind m_kind;
    long long m_metadataBytes = 0;  // what the reader keeps of texts and the like
    PngColourKey m_pngKey;
};
