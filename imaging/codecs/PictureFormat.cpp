#include "PictureFormat.h"

#include <QImageReader>

#include "BmpHeader.h"
#include "HeifPicture.h"
#include "JpegFrame.h"
#include "PictureSource.h"
#include "platform/processes/DynamicLibrary.h"

QByteArray FormatFromSignature(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        return "jpeg";
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        return "gif";
    }
    if (bytes.startsWith("BM")) {
        return "bmp";
    }
    if (bytes.startsWith("\x89PNG\r\n\x1A\n")) {
        return "png";
    }
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP") {
        return "webp";
    }
    // A TIFF's (or BigTIFF's) byte order and version; a string would end at the zero byte.
    for (const char* mark : {"II*\0", "MM\0*", "II+\0", "MM\0+"}) {
        if (bytes.startsWith(QByteArrayView(mark, 4))) {
            return "tiff";
        }
    }
    if (IsHeifSignature(bytes)) {
        return "heif";
    }
    return {};
}

bool IsUnreadSignature(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray("\0\0\1\0", 4)) ||  // ICO
           bytes.startsWith(QByteArray("\0\0\2\0", 4)) ||  // CUR
           bytes.startsWith("\x8aMNG\r\n\x1a\n") || bytes.startsWith("\x8bJNG\r\n\x1a\n");
}

PictureDefect HeaderDefect(PictureSource& device, const QByteArray& format,
                           const QImageReader& reader) {
    if (device.ReadFailed()) {
        return PictureDefect::ReadError;
    }
    if (format.isEmpty() && device.seek(0) && IsUnreadSignature(device.peek(8))) {
        return PictureDefect::UnreadKind;
    }
    // A reader of another kind knows it (TGA has no signature of its own), but gives no size.
    const QByteArray known =
        format.isEmpty() && device.seek(0) ? QImageReader::imageFormat(&device) : QByteArray();
    if (!known.isEmpty() && known != "jpeg" && known != "jpg" && known != "gif" && known != "bmp" &&
        known != "png") {
        return PictureDefect::UnreadKind;
    }
    if (reader.error() == QImageReader::UnsupportedFormatError && !CanOpenAFile()) {
        return PictureDefect::TooManyOpenFiles;  // the reader's library could not be loaded
    }
    if (format.isEmpty() && reader.error() == QImageReader::UnsupportedFormatError) {
        return PictureDefect::NotAPicture;
    }
    if (format == "jpeg") {
        return ReadJpegFrame(device).cutOff ? PictureDefect::CutOff : PictureDefect::DamagedHeader;
    }
    if (format == "bmp") {
        return ReadBmpHeader(device).cutOff ? PictureDefect::CutOff : PictureDefect::DamagedHeader;
    }
    return PictureDefect::DamagedHeader;
}
