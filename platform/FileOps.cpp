#include "FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>
#include <cstring>

std::FILE* CreateNewFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
