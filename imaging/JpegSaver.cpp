#include "JpegSaver.h"

#include <QDateTime>
#include <cerrno>
#include <cstdio>

#include "ImageBuffer.h"
#include "JpegFileWriter.h"
#include "platform/FileOps.h"

namespace {

// Names tried after the current second when it is taken already: a file that merely carries
// the name is never overwritten.
constexpr int kTemporaryNameAttempts = 1000;

}  // namespace

QString JpegSaver::TemporaryName(const QString& path, long long time) {
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
    return folder + QString::number(time, 16) + QStringLiteral(".jpg");
}

void JpegSaver::TakeSystemError() {
    m_systemError = errno;
    m_lastError = ::LastSystemError();
}

bool JpegSaver::SaveBitmapAsJpeg(const QString& path, CDC* source, int quality, int maxHeight,
                                 int maxWidth, int dpi) {
    m_lastError.clear();
    m_systemError = 0;
    if (path.isEmpty()) {
        m_lastError = QStringLiteral("no file name");
        return false;
    }
    BitmapInfo info;
    if (source == nullptr || !source->GetBitmapInfo(info)) {
        if (maxHeight < 0 || maxWidth < 0) {
            m_lastError = QStringLiteral("nothing to save");
            return false;
        }
        info.width = maxWidth;
        info.height = maxHeight;
    }
    if (maxWidth > 0 && maxWidth < info.width) {
        info.width = maxWidth;
    }
    if (maxHeight > 0 && maxHeight < info.height) {
        info.height = maxHeight;
    }
    ImageBuffer copy;
    if (!copy.Create(info.width, info.height)) {
        m_lastError =
            QStringLiteral("no memory for a %1 x %2 picture").arg(info.width).arg(info.height);
        return false;
    }
    if (source != nullptr) {
        copy.Dc().BitBlt(0, 0, info.width, info.height, *source, 0, 0);
    }

    const long long now = QDateTime::currentSecsSinceEpoch();
    QString temporary;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && file == nullptr; ++attempt) {
        temporary = TemporaryName(path, now + attempt);
        file = CreateNewFile(temporary);
        if (file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        TakeSystemError();
        return false;
    }

    JpegFileWriter writer;
    writer.SetQuality(quality);
    writer.SetDensity(dpi, true);
    errno = 0;
    int result = writer.WriteStream(copy.Section()->Bits(), info.width, info.height, file);
    if (result != JpegFileWriter::Ok) {
        m_systemError = errno;  // a full disk, say, or 0 for the library's own failures
        m_lastError = writer.ErrorText();
    }
    if (std::fclose(file) != 0 && result == JpegFileWriter::Ok) {
        TakeSystemError();
        result = JpegFileWriter::WriteFailed;
    }
    if (result == JpegFileWriter::Ok && !ReplaceFile(temporary, path)) {
        TakeSystemError();
        result = JpegFileWriter::WriteFailed;
    }
    if (result != JpegFileWriter::Ok) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}
