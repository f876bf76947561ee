#pragma once

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "CraftedFiles.h"

// A folder of its own for one test, removed afterwards.
class TestFolder {
public:
    TestFolder();
    QString Path() const { return m_dir.path(); }
    QString File(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A picture whose every region is told apart by colour: a red top-left, green top-right,
// blue bottom-left and white bottom-right quarter over a fine gradient.
QImage QuarterPattern(int width, int height);
// A picture filled with one colour.
QImage Plain(int width, int height, QRgb colour);
// Pixels no encoder setting can hide: every channel varies.
QImage Busy(int width, int height);

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);
// The encoded bytes of `image` in `format` ("jpeg", "gif", "bmp", "png").
QByteArray Encode(const QImage& image, const char* format, int quality = 90);
// Qt writes no GIF: a plain one of our own, at most 256 colours, literal LZW codes only.
QByteArray EncodeGif(const QImage& image);

// A JPEG with an EXIF block carrying the given orientation tag (1..8).
QByteArray WithExifOrientation(const QByteArray& jpeg, int orientation);
// The same JPEG with the frame header claiming another size (and, if asked, a baseline or
// progressive frame).
QByteArray WithFrameSize(const QByteArray& jpeg, int width, int height,
                         std::optional<bool> progressive = std::nullopt);
// The same JPEG with a header that reads but data that does not decode.
QByteArray WithUndefinedQuantTable(const QByteArray& jpeg);

// libjpeg-turbo's cjpeg with the given options, and a scans file when `scans` is not empty.
QByteArray EncodeWithCjpeg(const QImage& image, const QStringList& options,
                           const QString& scans = {});

// A JPEG carrying an ICC colour profile in an APP2 segment.
QByteArray WithIccProfile(const QByteArray& jpeg, const QByteArray& profile);
// The Adobe RGB (1998) compatible profile of the package icc-profiles-free; empty without it.
QByteArray AdobeRgbProfile();

// `image` as a HEIC file made by heif-enc (package libheif-examples), its colour space as
// its profile; empty without heif-enc.
QByteArray EncodeHeic(const QImage& image);
// The same HEIC turned by `quarterTurns` anticlockwise: an irot box in the place of the
// pixi box heif-enc writes, which is as long.
QByteArray WithHeifTurn(const QByteArray& heic, int quarterTurns);
// The same HEIC with its ispe box claiming another size.
QByteArray WithHeifSize(const QByteArray& heic, int width, int height);

// An uncompressed BMP with its rows stored top-down, as a negative height says.
QByteArray StoredTopDown(const QByteArray& bmp);

// Sets an environment variable for as long as it lives; then it is as it was, set or not.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<QByteArray> m_before;
};

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};
// The program will start with the signals' standard dispositions, as from a terminal, even
// when the tests run where SIGINT or SIGHUP is ignored (a background job, nohup): the
// programs keep an ignored ending signal ignored.
void StartWithStandardSignals(QProcess& process);

ProcessResult RunProgram(const QString& program, const QStringList& arguments,
                         const QByteArray& input = {});
// The same with a resource limit (RLIMIT_AS, RLIMIT_NOFILE ...) set in the child alone.
ProcessResult RunLimited(const QString& program, const QStringList& arguments, int resource,
                         long long limit);
bool HaveProgram(const QString& program);

// Pixels of a PPM (P6) file as RGB888.
QImage ReadPpm(const QByteArray& ppm);
QByteArray ToPpm(const QImage& image);
// The pixels libjpeg-turbo's djpeg decodes from a JPEG file.
QImage DecodeWithDjpeg(const QString& jpegPath);
