#pragma once

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
