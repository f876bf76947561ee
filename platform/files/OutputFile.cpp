#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

#include "FileOps.h"
#include "SharedFolders.h"
#include "TemporaryFile.h"

OutputFile::OutputFile(const QString& target, Access access) {
    const LinkEnd end = FollowLinks(target);
    if (end.foreign.IsSet()) {
        Refuse(end.foreign);
        return;
    }
    const QByteArray endName = QFile::encodeName(end.path);
    struct stat entry {};
    const bool exists = ::lstat(endName.constData(), &entry) == 0;
    if (exists && S_ISLNK(entry.st_mode)) {
        Fail(ELOOP);  // a chain of links without end
        return;
    }
    if (exists && IsForeignInSharedFolder(end.path, entry)) {
        Refuse({end.path, false});
        return;
    }
    struct stat info {};
    if (::stat(QFile::encodeName(target).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        m_temporary = std::make_unique<TemporaryFile>(end.path, access == Access::OwnerOnly);
        m_stream = m_temporary->Stream();
        if (m_stream == nullptr) {
            Fail(errno);
        }
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        Fail(EISDIR);
        return;
    }
    if (S_ISBLK(info.st_mode) || S_ISSOCK(info.st_mode)) {
        Fail(0, QStringLiteral("not a regular file, a pipe or a character device"));
        return;
    }
    // Opened without waiting: a pipe nobody reads refuses (ENXIO) instead of blocking. The entry
    // looked at above is the one opened: a link put in its place meanwhile is not followed.
    // (Standard output's end, a pipe without a name, is reached through /dev/stdout.)
    constexpr int kFlags = O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;
    const int fd = exists ? ::open(endName.constData(), kFlags | O_NOFOLLOW)
                          : ::open(QFile::encodeName(target).constData(), kFlags);
    if (fd < 0) {
        Fail(errno, errno == ENXIO ? QStringLiteral("no program reads from the pipe") : QString());
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_direct = ::fdopen(fd, "wb");
    if (m_direct == nullptr) {
        Fail(errno);
        ::close(fd);
        return;
    }
    m_stream = m_direct;
}

OutputFile::~OutputFile() {
    if (m_direct != nullptr) {
        std::fclose(m_direct);
    }
}

void OutputFile::Refuse(const ForeignEntry& entry) {
    m_foreign = entry;
    Fail(EACCES, ForeignEntryText(entry));
}

void OutputFile::Fail(int systemError, const QString& text) {
    m_systemError = systemError;
    errno = systemError;
    m_error = !text.isEmpty() ? text : LastSystemError();
}

bool OutputFile::Commit() {
    if (m_stream == nullptr) {
        return false;
    }
    bool committed = false;
    if (m_temporary) {
        committed = m_temporary->Commit();
    } else {
        committed = std::fclose(m_direct) == 0;
        m_direct = nullptr;
    }
    m_stream = nullptr;
    if (!committed) {
        Fail(errno);
    }
    return committed;
}

bool WriteOutputFile(const QString& target, const QByteArray& bytes, QString* error) {
    OutputFile file(target);
    const bool written = file.Stream() != nullptr &&
                         std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     file.Stream()) == static_cast<std::size_t>(bytes.size()) &&
                         file.Commit();
    if (!written) {
        *error = file.Error().isEmpty() ? LastSystemError() : file.Error();
    }
    return written;
}
