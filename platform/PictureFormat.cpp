#include "PictureFormat.h"

#include "HeifPicture.h"

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
