#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

#include "FileOps.h"
#include "TemporaryFile.h"

namespace {

// Symbolic links are followed the way the system does, at most this many in a row.
constexpr int kLinkLimit = 40;

// The name the content really goes to: the end of any chain of symbolic links, which need
// not exist yet.
QString FollowLinks(QString path) {
    for (int step = 0; step < kLinkLimit; ++step) {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(name.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(name.constData(), link.data(), link.size());
        if (length <= 0 || length >= link.size()) {
            return path;
        }
        link.truncate(length);
        QString next = QFile::decodeName(link);
        if (!next.startsWith(QLatin1Char('/'))) {
            next.prepend(path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
        }
        path = next;
    }
    return path;
}

}  // namespace

OutputFile::OutputFile(const QString& target, Access access) {
    struct stat info {};
    if (::stat(QFile::encodeName(target).constData(), &info) != 0 || S_ISREG(info.st_mode)) {
        m_temporary =
            std::make_unique<TemporaryFile>(FollowLinks(target), access == Access::OwnerOnly);
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
    // Opened without waiting: a pipe nobody reads refuses (ENXIO) instead of blocking.
    const int fd =
        ::open(QFile::encodeName(target).constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
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
