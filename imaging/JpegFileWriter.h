#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

struct JpegCompression;

// Encodes one 24-bit bottom-up bitmap section as a baseline JFIF file: YCbCr with 2×2
// luminance sampling, standard Huffman tables, JFIF 1.01. One writer writes one file (or one
// block of memory). Library errors come back as results; nothing here ends the process.
class JpegFileWriter {
public:
    enum Result { Ok = 0, CannotCreate = -1, WriteFailed = -2 };

    JpegFileWriter();
    JpegFileWriter(const JpegFileWriter&) = delete;
    JpegFileWriter& operator=(const JpegFileWriter&) = delete;
    virtual ~JpegFileWriter();

    // Clamps to 0..100 and returns what was set (the library itself treats 0 as 1).
    int SetQuality(int quality);
    // dpi 0 means no resolution: the header then says 72 × 72 without a unit.
    void SetDensity(int dpi, bool perInch);

    // Writes the file at `path` ("wb"); Ok, CannotCreate or WriteFailed.
    int WriteFile(const std::uint8_t* bits, int width, int height, const QString& path);
    // The same into an open stream, which stays open; Ok or WriteFailed.
    int WriteStream(const std::uint8_t* bits, int width, int height, std::FILE* file);
    // The same bytes into `out`; Ok, or WriteFailed when the memory runs out.
    int WriteMemory(const std::uint8_t* bits, int width, int height, QByteArray& out);

    // The library's or the system's words for the last failure.
    QString ErrorText() const;

    // The version of the JPEG library the program was built with.
    static QString LibraryVersion();

private:
    // Into `file`, or into the memory sink when it is null.
    int Write(const std::uint8_t* bits, int width, int height, std::FILE* file);
    void SetErrorText(const QByteArray& text);

    int m_resolution = 0;
    bool m_perInch = false;
    std::unique_ptr<JpegCompression> m_jpeg;
};
