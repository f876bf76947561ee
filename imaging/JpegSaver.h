#pragma once

#include <QString>

#include "platform/files/SharedFolders.h"

class CDC;

// Saves the bitmap of a drawing context as a JPEG file, through OutputFile: a regular
// target is always either the old file or the whole new one.
class JpegSaver {
public:
    virtual ~JpegSaver() = default;

    // maxHeight and maxWidth crop to the top-left region (-1: no limit); dpi 0 = no
    // resolution. False, with the target untouched and no temporary file left, when
    // nothing could be written.
    bool SaveBitmapAsJpeg(const QString& path, CDC* source, int quality, int maxHeight,
                          int maxWidth, int dpi);

    // Files saved from now on are readable by their owner alone (see OutputFile).
    void SetOwnerOnly(bool ownerOnly) { m_ownerOnly = ownerOnly; }

    const QString& LastError() const { return m_lastError; }
    // The system's error number of the last failure; 0 when the system did not fail.
    int LastSystemError() const { return m_systemError; }
    // The entry of another user in a shared folder that kept the last save from its target.
    const ForeignEntry& LastForeign() const { return m_foreign; }

private:
    QString m_lastError;
    int m_systemError = 0;
    ForeignEntry m_foreign;
    bool m_ownerOnly = false;
};
