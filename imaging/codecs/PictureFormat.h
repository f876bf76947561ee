#pragma once

#include <QByteArray>

#include "PictureDefect.h"

class PictureSource;
class QImageReader;

// Which kind of picture a file holds, from its first bytes; and why one that Qt is to read
// gives no size.

// The format from the first bytes, for the formats pictures mostly come in ("jpeg", "gif",
// "bmp", "png", "webp", "tiff", "heif"); empty for any other. Naming it spares the reader
// from loading every image plugin (and their libraries) to ask which one knows the data: a
// good part of a small conversion's time.
QByteArray FormatFromSignature(const QByteArray& bytes);

// Kinds Qt may know but this program does not convert: icons and animations.
bool IsUnreadSignature(const QByteArray& bytes);

// Why a picture whose signature is known (or not) does not even give its size, when `reader`
// (of `format`, or of any format when that is empty) gave none.
PictureDefect HeaderDefect(PictureSource& device, const QByteArray& format,
                           const QImageReader& reader);
