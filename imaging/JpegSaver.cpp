#include "JpegSaver.h"

#include <cerrno>

#include "ImageBuffer.h"
#include "JpegFileWriter.h"
#include "platform/files/FileOps.h"
#include "platform/files/OutputFile.h"

bool JpegSaver::SaveBitmapAsJpeg(const QString& path, CDC* source, int quality, int maxHeight,
                                 int maxWidth, int dpi) {
    m_lastError.clear();
    m_systemError = 0;
    m_foreign = {};
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
        m_lastError = QStringLiteral("not enough memory for a %1 x %2 picture")
                          .arg(info.width)
                          .arg(info.height);
        return false;
    }
    if (source != nullptr) {
        copy.Dc().BitBlt(0, 0, info.width, info.height, *source, 0, 0);
    }

    OutputFile output(path,
                      m_ownerOnly ? OutputFile::Access::OwnerOnly : OutputFile::Access::AsTarget);
    if (output.Stream() == nullptr) {
        m_systemError = output.SystemError();
        m_lastError = output.Error();
        m_foreign = output.Foreign();
        return false;
    }
    JpegFileWriter writer;
    writer.SetQuality(quality);
    writer.SetDensity(dpi, true);
    errno = 0;
    if (writer.WriteStream(copy.Section()->Bits(), info.width, info.height, output.Stream()) !=
        JpegFileWriter::Ok) {
        // The system's words for a full disk or a size limit; the library's for its own
        // failures.
        m_systemError = errno;
        m_lastError = m_systemError != 0 ? ::LastSystemError() : writer.ErrorText();
        return false;
    }
    if (!output.Commit()) {
        m_systemError = output.SystemError();
        m_lastError = output.Error();
        return false;
    }
    return true;
}
