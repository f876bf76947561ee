#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

struct JpegFrame;

// What decoding a picture takes in memory, known from its headers before anything is
// decoded: the sums the memory rule is held to.

// The pixels of a JPEG decoded at 1/denominator, four bytes each.
long long DecodedPixelBytes(QSize stored, int denominator);

// Memory the smallest possible decoding needs: a JPEG can be decoded at 1/8 scale, but one of
// several scans keeps all its coefficients (64 values of 2 bytes per block) meanwhile.
long long CoefficientBytes(const JpegFrame& frame);

// The scale Qt's JPEG reader decodes at for a drawing of `size` (both as stored): the
// largest of 1/8, 1/4, 1/2 that still covers it.
int ScaleDenominator(QSize stored, QSize size);

// Other formats are decoded whole into the form their decoder chooses and then made opaque
// 32-bit pixels; that takes a second picture unless the decoder gave 32 bits already. A
// decoder that does not tell its form beforehand (GIF's) is counted for both: a GIF's may
// also keep a copy of a frame it is to restore.
long long WholeDecodingBytes(const QByteArray& format, QSize stored, QImage::Format decoded,
                             qint64 fileBytes);

// A decoder that fails tells no reason; when the memory its picture needs cannot be had,
// that is the likelier one than damage.
bool MemoryFor(long long bytes);
