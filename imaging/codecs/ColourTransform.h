#pragma once

#include <QImage>

// Colour profiles of tone curves and a matrix (nearly all a camera or phone writes: Adobe
// RGB, Display P3) converted to sRGB through tables made once for each profile and kept for
// the pictures that follow, a folder of one camera's photos carrying the same profile
// throughout. The colours are those of Qt's conversion, within one step. Pictures in sRGB,
// or without a colour space, are none of this code's business.

// In place, for 32-bit pixels, opaque or with unpremultiplied alpha. False, with the picture
// unchanged, when it is not such a picture in another colour space, or its profile is of
// another kind: Qt's own conversion is then the way.
bool ConvertToSRgbInPlace(QImage& image);

// An opaque 32-bit picture in another colour space as sRGB pixels in the order B, G, R,
// three bytes each: the conversion and the repacking in one pass. Null when not taken, as
// above, or out of memory.
QImage ToSRgbInBgrOrder(const QImage& image);

// Any picture as the drawing context takes it: sRGB pixels in the order B, G, R. Converted in
// place where its form allows, since next to a picture decoded whole even a drawing of
// 3000 × 3000 pixels counts. Null when out of memory.
QImage SRgbInBgrOrder(QImage image);
