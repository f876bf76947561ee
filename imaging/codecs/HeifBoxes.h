#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>

class QIODevice;

// What the boxes of a HEIF file claim, read before anything is decoded. The HEVC decoder
// makes its pictures as large as the parameter sets in the configuration boxes (hvcC) say,
// not as the picture sizes stated elsewhere: they are what the memory of a decoding must be
// counted by.
struct HeifBoxes {
    bool readable = true;            // false: a parameter set or box that does not read
    bool cutOff = false;             // a box goes on past the end of the file
    long long largestCodedArea = 0;  // pixels of the largest coded picture; 0 when none is claimed
    int bytesPerSample = 1;          // 2 when any picture has more than 8 bits a sample
    int halfSamplesPerPixel = 2;     // samples a pixel, doubled: 2 grey, 3 4:2:0, 4 4:2:2, 6 4:4:4
};

HeifBoxes ReadHeifBoxes(QIODevice& device);

// The content of the file's meta box (its version and flags first), read without libheif.
struct HeifMeta {
    QByteArray meta;        // empty when there is none
    bool cutOff = false;    // a top-level box goes on past the end of the file
    bool tooLarge = false;  // a meta box larger than any photo's, left unread
};
HeifMeta ReadHeifMeta(QIODevice& device);

// Calls `visit(type, begin, end)` for each box in data[begin, end), its content from begin to
// end; false when a box runs past the end.
bool ForEachBox(const QByteArray& data, qsizetype begin, qsizetype end,
                const std::function<void(const QByteArray&, qsizetype, qsizetype)>& visit);
// `count` bytes as one big-endian number.
std::uint64_t BigEndian(const char* bytes, int count);
