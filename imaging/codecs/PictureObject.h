#pragma once

#include <QByteArray>
#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <QString>
#include <memory>

#include "JpegEighth.h"
#include "JpegFrame.h"
#include "PictureDefect.h"
#include "PngHead.h"
#include "platform/files/FileOps.h"

class CDC;
class QBuffer;
class QFile;
class QIODevice;
class PictureSource;

// How a drawing went. Only a lack of memory is the user's business: a picture whose data
// does not decode simply counts as unreadable.
enum class RenderStatus { Drawn, Undecodable, OutOfMemory };

// Keeps the decoders' own complaints (damaged data, unreadable colour profiles) off the
// standard error stream: what matters of them is reported with the picture's name.
void QuietDecoderMessages();

// The picture object behind CPicture: keeps the encoded bytes, knows the upright size, and
// draws the whole picture scaled into any rectangle of a drawing context.
//
// Loading reads only the headers. JPEG files are decoded when drawn, at the smallest DCT
// scale (1/8, 1/4, 1/2) that still covers the rectangle, and then smoothed to its exact
// size; the last drawing is kept, so drawing again at the same size costs no decoding. Other
// formats (HEIF through libheif, the rest through Qt's readers) are decoded completely at the
// first drawing and kept. The orientation a picture carries is applied (a JPEG's or TIFF's
// EXIF tag, a HEIF file's turn and mirror): sizes and drawings are those of the upright
// picture. Drawings are in sRGB: a picture with a colour profile of another colour space has
// its colours converted.
class PictureObject {
public:
    // The most memory one picture may need to decode, pixels and the decoder's own buffers
    // together. A picture that needs more even at its smallest decoding is refused when
    // loaded, before anything large is allocated.
    static constexpr int kDecodeLimitMiB = 512;

    // Null, with the reason in `error` and `defect`, when the bytes are no picture that can
    // be decoded.
    static std::unique_ptr<PictureObject> Load(const QByteArray& bytes, QString* error,
                                               PictureDefect* defect);
    // The same for a file. A JPEG is later decoded straight from the file, a few kilobytes at
    // a time, instead of from a copy of all of it; should the file change meanwhile, the
    // drawing fails rather than show something else.
    static std::unique_ptr<PictureObject> LoadFile(const QString& path, QString* error,
                                                   PictureDefect* defect);

    // Size in HIMETRIC units (0.01 mm), at 96 pixels per inch.
    int HimetricWidth() const;
    int HimetricHeight() const;

    // Draws the whole picture, scaled to width × height, with its top-left corner at (x, y);
    // parts outside the bitmap are clipped. An empty rectangle draws nothing. A context
    // without a bitmap (whose bitmap could not be made) counts as out of memory.
    RenderStatus Render(CDC& dc, int x, int y, int width, int height, QString* error);

    // Memory the decoding takes at least, known from the headers: the whole picture (and the
    // decoder's own form of it) for formats decoded whole, the 1/8-scale pixels for a JPEG,
    // plus all its coefficients when it has several scans.
    long long DecodeBytes() const { return m_decodeBytes; }
    // Memory a drawing at `size` takes in all: the decoding at the scale that size asks for
    // and the drawing itself. A drawing that would need more than the limit fails as too
    // large, before anything is decoded.
    long long DrawingBytes(QSize size) const;

    // After a drawing: the damage the picture was drawn with (a cut-off file, damaged data),
    // or, when it could not be drawn, why.
    PictureDefect Defect() const { return m_defect; }

    // How often the encoded data has been decoded: a measure for tests and benchmarks.
    int DecodeCount() const { return m_decodes; }

private:
    PictureObject() = default;
    bool ReadHeader(QIODevice& device, QString* error, PictureDefect* defect);
    bool ReadHeifHeader(PictureSource& device, QString* error, PictureDefect* defect);
    // After a decoding: whether the system failed to read the file, or the program's ending
    // stopped the reading; the decoding then counts for nothing.
    bool FailedReading(const PictureSource& device, QString* error);
    RenderStatus Prepare(QSize size, QString* error);
    QIODevice* OpenSource(QBuffer& buffer, QFile& file, QString* error);
    RenderStatus DecodeScaled(QSize size, QString* error);
    // Whether a drawing of `size` (upright) is decoded at 1/8 through m_eighth.
    bool AtEighth(QSize size) const;
    RenderStatus DecodeWhole(QString* error);
    // Through Qt's readers; `image` may come prepared for the decoder to write into.
    RenderStatus DecodeThroughQt(PictureSource& device, QImage& image, QString* error);

    QByteArray m_bytes;  // the picture, unless it comes from a file
    QString m_path;
    FileIdentity m_identity;
    QByteArray m_format;
    bool m_decodesScaled = false;
    bool m_turnedByExif = false;  // the upright picture is the stored one turned a quarter
    QImageIOHandler::Transformations m_turn;  // what makes the stored picture upright
    QSize m_size;                             // upright
    QSize m_stored;                           // as stored, before any EXIF turn
    QImage m_whole;                           // formats decoded whole, once drawn: opaque RGB32
    QImage m_drawn;                           // the last drawing, B, G, R bytes
    long long m_decodeBytes = 0;
    long long m_coefficientBytes = 0;  // what a JPEG of several scans keeps while decoding
    EighthPlan m_eighth;               // how a progressive JPEG is drawn at 1/8
    bool m_bmpCutOff = false;          // the headers promise more pixel data than the file holds
    JpegEnding m_jpegEnding = JpegEnding::Complete;
    long long m_metadataBytes = 0;  // what the readers keep of comments, texts and the like
    int m_headerComplaints = 0;     // libtiff's, about the tags alone
    PngColourKey m_pngKey;          // a 16-bit RGB PNG's transparent colour
    PictureDefect m_defect = PictureDefect::None;
    int m_decodes = 0;
};
