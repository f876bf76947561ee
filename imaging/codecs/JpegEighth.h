#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QSize>
#include <utility>
#include <vector>

#include "JpegFrame.h"

class QIODevice;

// A progressive JPEG drawn at 1/8 of its size: libjpeg makes each pixel of most components
// from its block's DC coefficient alone, yet decodes and keeps all 64 coefficients of every
// block first (14 to 90 MB for a photo, most of the time its decoding takes). Here the scans
// of the coefficients such a component never uses are left out, and of those components
// only the DC values are kept, so the drawing is the same, made in a fraction of the time
// and memory.
struct EighthPlan {
    bool applies = false;
    // In the frame's order: the components drawn from their DC values alone.
    std::vector<bool> dcOnly;
    // Byte ranges [first, second) of the scans left out, in the file's order.
    std::vector<std::pair<qint64, qint64>> dropped;
    // What the decoder keeps of the coefficients meanwhile.
    long long coefficientBytes = 0;
};

// The plan for a file whose frame and walk these are. It applies only to sound progressive
// files of one or three components whose scans complete every coefficient: libjpeg smooths
// the blocks of a picture with coefficients still unknown, and would smooth differently.
EighthPlan PlanEighthDecoding(const JpegFrame& frame, const JpegWalk& walk);

// Whether Qt's JPEG reader, asked for `scaled`, decodes a picture stored as `stored` at 1/8.
bool DecodedAtEighth(QSize stored, QSize scaled);

// The picture as Qt's image reader gives it for the scaled size `scaled` (when
// DecodedAtEighth holds): decoded at 1/8 by the same libjpeg with the same settings, smoothed
// to `scaled`, with the colour space of its profile, turned by `turn` (the reader's
// transformation). Null when the data cannot be decoded. `device` is the whole file.
QImage DecodeJpegAtEighth(QIODevice& device, const EighthPlan& plan, QSize scaled,
                          QImageIOHandler::Transformations turn);
