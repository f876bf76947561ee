#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <memory>

#include "SharedFolders.h"

class TemporaryFile;

// The one way the programs write a file the user named or will look at: results, saved
// pictures, the preview file.
//
// A regular file (or a new name) gets the new content complete or not at all: it is written
// beside its target, synced, and renamed over it, keeping the target's permissions. A name
// that is a symbolic link is followed, so the link stays and its target gets the content. An
// existing output that is not a regular file is never renamed over: a pipe or a character
// device (/dev/stdout, /dev/null) is written into directly; a folder, a block device or a
// socket is refused, and so is a pipe that nobody reads (it would wait for ever).
//
// In a folder everyone may write to (/tmp), a link, file or pipe of another user is refused
// (see SharedFolders.h): it may have been put there to catch what the program writes.
class OutputFile {
public:
    // Who may read a regular file written: whoever could read the target before (a new
    // file: as the umask says), or its owner alone, while it is written too.
    enum class Access { AsTarget, OwnerOnly };

    explicit OutputFile(const QString& target, Access access = Access::AsTarget);
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Open for binary writing; null when nothing can be written, with the reason in
    // Error() and SystemError().
    std::FILE* Stream() const { return m_stream; }
    // Puts the written content in the target's place; false, with the reason, when it
    // could not (the old file then stays as it was).
    bool Commit();

    // The reason of the last failure, in words for a terminal.
    const QString& Error() const { return m_error; }
    // The system's error number of the last failure (0 when the system did not fail).
    int SystemError() const { return m_systemError; }
    // The entry of another user refused, when that is why nothing can be written.
    const ForeignEntry& Foreign() const { return m_foreign; }

private:
    void Fail(int systemError, const QString& text = {});
    void Refuse(const ForeignEntry& entry);

    std::unique_ptr<TemporaryFile> m_temporary;
    std::FILE* m_direct = nullptr;
    std::FILE* m_stream = nullptr;
    QString m_error;
    int m_systemError = 0;
    ForeignEntry m_foreign;
};

// `bytes` as the content of `target`, as OutputFile writes; false with the reason in `error`.
bool WriteOutputFile(const QString& target, const QByteArray& bytes, QString* error);
