#pragma once

#include <QByteArray>

// Which kind of picture a file holds, from its first bytes: what chooses its decoder
// (ChooseDecoder in Decoder.h).

enum class PictureFormat { Unknown, Jpeg, Gif, Bmp, Png, WebP, Tiff, Heif };

// The kind from the first bytes, for the kinds pictures mostly come in; Unknown for any
// other, which Qt's reader is left to guess. Naming it spares the reader from loading every
// image plugin (and their libraries) to ask which one knows the data: a good part of a
// small conversion's time.
PictureFormat FormatFromSignature(const QByteArray& bytes);

// The kind behind the name Qt's reader gives a format it guessed ("jpeg", "jpg" ...); Unknown
// for any other (TGA, icons ...).
PictureFormat FormatFromQtName(const QByteArray& name);

// Kinds Qt may know but this program does not convert: icons and animations.
bool IsUnreadSignature(const QByteArray& bytes);
