#pragma once

#include <QByteArray>

// Which kind of picture a file holds, from its first bytes.

// The format from the first bytes, for the formats pictures mostly come in ("jpeg", "gif",
// "bmp", "png", "webp", "tiff", "heif"); empty for any other. Naming it spares the reader
// from loading every image plugin (and their libraries) to ask which one knows the data: a
// good part of a small conversion's time.
QByteArray FormatFromSignature(const QByteArray& bytes);

// Kinds Qt may know but this program does not convert: icons and animations.
bool IsUnreadSignature(const QByteArray& bytes);
