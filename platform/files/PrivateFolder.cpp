#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A base the user owns: the session's runtime folder when it is one, else the cache folder.
QString Base(bool lasting) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info {};
    if (!lasting && !runtime.isEmpty() && QDir::isAbsolutePath(runtime) &&
        ::stat(QFile::encodeName(runtime).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
        info.st_uid == ::geteuid()) {
        return runtime;
    }
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache)) {
        return {};
    }
    return cache;
}

// Makes `path` a folder of ours closed to others; false when it cannot be.
bool OwnFolder(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    return (info.st_mode & 077) == 0 || ::chmod(name.constData(), 0700) == 0;
}

}  // namespace

QString PrivateFolder(const QString& name, bool lasting) {
    const QString base = Base(lasting);
    if (base.isEmpty()) {
        return {};
    }
    QString folder = base + QStringLiteral("/plenmar");
    if (!OwnFolder(folder)) {
        return {};
    }
    if (name.isEmpty()) {
        return folder;
    }
    folder += QLatin1Char('/') + name;
    return OwnFolder(folder) ? folder : QString();
}

QString NewPrivateFolder(const QString& name) {
    const QString parent = PrivateFolder(name);
    if (parent.isEmpty()) {
        return {};
    }
    QByteArray pattern = QFile::encodeName(parent + QStringLiteral("/XXXXXX"));
    // mkdtemp makes it 0700 under a name no one had.
    return ::mkdtemp(pattern.data()) != nullptr ? QFile::decodeName(pattern) : QString();
}
