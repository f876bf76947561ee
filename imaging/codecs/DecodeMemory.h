#pragma once

#include <QImage>
#include <QSize>

// What decoding a picture takes in memory, known from its headers before anything is
// decoded: the sums the memory rule is held to. What sets one kind apart is its decoder's.

// A picture of opaque 32-bit pixels.
long long OpaqueBytes(QSize size);

// Pictures decoded whole go into the form their decoder chooses and are then made opaque
// 32-bit pixels; that takes a second picture unless the decoder gave 32 bits already. A
// decoder that does not tell its form beforehand (GIF's) is counted for both: a GIF's may
// also keep a copy of a frame it is to restore.
long long WholeDecodingBytes(QSize stored, QImage::Format decoded);

// A decoder that fails tells no reason; when the memory its picture needs cannot be had,
// that is the likelier one than damage.
bool MemoryFor(long long bytes);
