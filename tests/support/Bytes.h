#pragma once

#include <QByteArray>

// The numbers of the files the tests build by hand: JPEG's big-endian words, and TIFF's
// (and EXIF's) little-endian ones.
inline void PutWord(QByteArray& bytes, int value) {
    bytes.append(char((value >> 8) & 0xFF));
    bytes.append(char(value & 0xFF));
}

inline void PutLe16(QByteArray& bytes, int value) {
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

inline void PutLe32(QByteArray& bytes, quint32 value) {
    PutLe16(bytes, int(value & 0xFFFF));
    PutLe16(bytes, int(value >> 16));
}
