#include "PictureFormat.h"

#include "HeifPicture.h"

PictureFormat FormatFromSignature(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xD8\xFF")) {
        return PictureFormat::Jpeg;
    }
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) {
        return PictureFormat::Gif;
    }
    if (bytes.startsWith("BM")) {
        return PictureFormat::Bmp;
    }
    if (bytes.startsWith("\x89PNG\r\n\x1A\n")) {
        return PictureFormat::Png;
    }
    if (bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WEBP") {
        return PictureFormat::WebP;
    }
    // A TIFF's (or BigTIFF's) byte order and version; a string would end at the zero byte.
    for (const char* mark : {"II*\0", "MM\0*", "II+\0", "MM\0+"}) {
        if (bytes.startsWith(QByteArrayView(mark, 4))) {
            return PictureFormat::Tiff;
        }
    }
    if (IsHeifSignature(bytes)) {
        return PictureFormat::Heif;
    }
    return PictureFormat::Unknown;
}

PictureFormat FormatFromQtName(const QByteArray& name) {
    // Qt's JPEG reader takes any file beginning FF D8 for one; the others ask for the same
    // signatures as FormatFromSignature.
    if (name == "jpeg" || name == "jpg") {
        return PictureFormat::Jpeg;
    }
    if (name == "gif") {
        return PictureFormat::Gif;
    }
    if (name == "bmp") {
        return PictureFormat::Bmp;
    }
    if (name == "png") {
        return PictureFormat::Png;
    }
    if (name == "webp") {
        return PictureFormat::WebP;
    }
    if (name == "tiff" || name == "tif") {
        return PictureFormat::Tiff;
    }
    return PictureFormat::Unknown;
}

bool IsUnreadSignature(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray("\0\0\1\0", 4)) ||  // ICO
           bytes.startsWith(QByteArray("\0\0\2\0", 4)) ||  // CUR
           bytes.startsWith("\x8aMNG\r\n\x1a\n") || bytes.startsWith("\x8bJNG\r\n\x1a\n");
}
