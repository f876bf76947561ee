#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

class QIODevice;

// HEIF files (the HEIC photos of phones) through libheif: the primary picture, turned and
// mirrored as the file says (EXIF orientation plays no part), its colours tagged with the
// file's colour profile.

// Whether the first 12 bytes are those of a HEIF file: a file type box of one of HEIF's brands.
bool IsHeifSignature(const QByteArray& first);

// NoLibrary: libheif could not be loaded (not installed, or lacking a function we call).
enum class HeifStatus { Read, Unsupported, NoLibrary, Damaged, CutOff, OutOfMemory };

struct HeifHeader {
    HeifStatus status = HeifStatus::Damaged;
    QSize size;  // upright
    // What decoding takes at most: the coded pictures and their conversions inside libheif,
    // the 32-bit picture made of them, and the file's data.
    long long decodeBytes = 0;
};

HeifHeader ReadHeifHeader(QIODevice& device);

// The primary picture, 32 bits a pixel (with alpha when it has any), or a null picture with
// the reason in `status`. `expected` is the size its header gave: a decoding that comes out
// otherwise counts as damaged.
QImage DecodeHeif(QIODevice& device, QSize expected, HeifStatus* status);
