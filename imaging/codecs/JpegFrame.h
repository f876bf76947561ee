#pragma once

#include <QByteArray>
#include <vector>

class QIODevice;

// One component of a frame: its identifier and how many samples it has across and down for
// each of the most sampled component's.
struct JpegComponent {
    int id = 0;
    int h = 1;
    int v = 1;
    long long blocks = 0;  // as the decoder stores them when it keeps them all
};

// What the frame header of a JPEG file and the header of its first scan say, read without
// decoding anything.
struct JpegFrame {
    bool valid = false;
    bool progressive = false;
    // The decoder keeps the coefficients of the whole picture for any file that is not one
    // scan holding every component: progressive files, and sequential ones (Huffman or
    // arithmetic) that give each component, or some of them, scans of their own. A file
    // whose first scan cannot be found counts as one of these.
    bool multiScan = true;
    // The data ends before the first scan header.
    bool cutOff = false;
    int width = 0;
    int height = 0;
    // 8 × 8 blocks of the whole picture, as the decoder stores them when it keeps them all.
    long long blocks = 0;
    // A kind the decoder does not read: lossless, or samples of more than 8 bits.
    bool unreadKind = false;
    std::vector<JpegComponent> components;
};

JpegFrame ReadJpegFrame(const QByteArray& bytes);
// The same from a device, which is left at the position it had.
JpegFrame ReadJpegFrame(QIODevice& device);

// How the data of a JPEG file ends: complete when an end-of-image marker follows the data
// of its scans, cut off when the file ends before one, damaged when a marker stands where
// none may (a restart marker out of turn, stray bytes between segments). The device is
// walked from its start and left at the position it had.
enum class JpegEnding { Complete, CutOff, Damaged };

// A scan as its header names it, and where it lies in the file: from its marker up to the
// marker after its data.
struct JpegScan {
    qint64 start = 0;
    qint64 end = 0;
    std::vector<int> components;  // identifiers
    int ss = 0;                   // first and last coefficient, in zigzag order
    int se = 0;
    int ah = 0;  // the bit position before this scan (0: a first scan), and after it
    int al = 0;
};

struct JpegWalk {
    JpegEnding ending = JpegEnding::CutOff;
    int scans = 0;
    // Each scan's header, as long as the headers are sound and not too many to keep;
    // otherwise none.
    std::vector<JpegScan> scanList;
    bool scansKept = true;
    // Comment, EXIF and colour-profile segments: the decoder keeps every one of them, and
    // turns each comment into text.
    long long commentBytes = 0;
    long long keptBytes = 0;
};
JpegWalk WalkJpeg(QIODevice& device);
