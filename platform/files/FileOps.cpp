#include "FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "SharedFolders.h"

std::FILE* CreateNewFile(const QString& path, unsigned mode) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int saved = errno;
        ::close(fd);
        ::unlink(name.constData());
        errno = saved;
    }
    return file;
}

bool ReplaceFile(const QString& from, const QString& to) {
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

bool RemoveFile(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

namespace {

QString NotRegular(mode_t mode) {
    if (S_ISDIR(mode)) {
        return QStringLiteral("not a regular file but a folder");
    }
    if (S_ISFIFO(mode) || S_ISSOCK(mode)) {
        return QStringLiteral("not a regular file but a pipe or socket");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QStringLiteral("not a regular file but a device");
    }
    return QStringLiteral("not a regular file");
}

}  // namespace

namespace {

bool IsFileNamed(const struct stat& file, const QString& path) {
    struct stat named {};
    return ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           file.st_dev == named.st_dev && file.st_ino == named.st_ino;
}

}  // namespace

FileOpening OpenRegularFile(QFile& file, const QString& path, QString* error) {
    const LinkEnd end = FollowLinks(path);
    if (end.foreign.IsSet()) {
        errno = EACCES;
        *error = ForeignEntryText(end.foreign);
        return FileOpening::ForeignLink;
    }
    // The end of the links is opened itself, so that no link put in its place since is
    // followed; a name without an end of its own (a descriptor's in /proc) is left to the
    // system.
    const QByteArray endName = QFile::encodeName(end.path);
    struct stat info {};
    const bool ended = ::lstat(endName.constData(), &info) == 0;
    const QByteArray name = ended ? endName : QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0) {
        *error = LastSystemError();
        return FileOpening::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = NotRegular(info.st_mode);
        return FileOpening::NotRegular;
    }
    const int fd =
        ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (ended ? O_NOFOLLOW : 0));
    if (fd < 0) {
        *error = LastSystemError();
        return FileOpening::Failed;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *error = NotRegular(info.st_mode);
        ::close(fd);
        return FileOpening::NotRegular;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *error = file.errorString();
        ::close(fd);
        return FileOpening::Failed;
    }
    return FileOpening::Opened;
}

bool IsSameFile(const QString& first, const QString& second) {
    struct stat one {};
    return ::stat(QFile::encodeName(first).constData(), &one) == 0 && IsFileNamed(one, second);
}

bool IsOpenFileNamed(int descriptor, const QString& path) {
    struct stat open {};
    return ::fstat(descriptor, &open) == 0 && IsFileNamed(open, path);
}

long long FileSize(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<long long>(info.st_size);
}

QString LastSystemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

FileIdentity IdentifyOpenFile(int descriptor) {
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
        return {};
    }
    return {static_cast<unsigned long long>(info.st_dev),
            static_cast<unsigned long long>(info.st_ino), static_cast<long long>(info.st_size),
            static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}
