#include "SharedFolders.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <climits>

namespace {

// Symbolic links are followed the way the system does, at most this many in a row.
constexpr int kLinkLimit = 40;

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return QStringLiteral(".");
    }
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

}  // namespace

bool IsForeignInSharedFolder(const QString& path, const struct stat& entry) {
    if (entry.st_uid == ::geteuid()) {
        return false;
    }
    struct stat folder {};
    if (::stat(QFile::encodeName(FolderOf(path)).constData(), &folder) != 0) {
        return false;  // nothing can be put there then
    }
    constexpr mode_t kShared = S_ISVTX | S_IWOTH;
    return (folder.st_mode & kShared) == kShared && entry.st_uid != folder.st_uid;
}

LinkEnd FollowLinks(const QString& start) {
    LinkEnd end{start, {}};
    QString& path = end.path;
    for (int step = 0; step < kLinkLimit; ++step) {
        const QByteArray name = QFile::encodeName(path);
        struct stat info {};
        if (::lstat(name.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return end;
        }
        if (IsForeignInSharedFolder(path, info)) {
            end.foreign = {path, true};
            return end;
        }
        QByteArray link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(name.constData(), link.data(), link.size());
        if (length <= 0 || length >= link.size()) {
            return end;
        }
        link.truncate(length);
        QString next = QFile::decodeName(link);
        if (!next.startsWith(QLatin1Char('/'))) {
            next.prepend(path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
        }
        path = next;
    }
    return end;
}

QString ForeignEntryText(const ForeignEntry& entry) {
    return entry.link ? QStringLiteral(
                            "%1 is a symbolic link of another user in a folder "
                            "everyone may write to; not followed")
                            .arg(entry.path)
                      : QStringLiteral(
                            "%1 belongs to another user in a folder everyone may "
                            "write to; not written")
                            .arg(entry.path);
}

QString ForeignEntryGerman(const ForeignEntry& entry) {
    return entry.link ? QStringLiteral(
                            "„%1“ ist eine Verknüpfung, die ein anderer Benutzer in "
                            "einen Ordner gelegt hat, in den alle schreiben dürfen; "
                            "ihr folgt das Programm nicht.")
                            .arg(entry.path)
                      : QStringLiteral(
                            "„%1“ gehört einem anderen Benutzer und liegt in einem "
                            "Ordner, in den alle schreiben dürfen; das Programm "
                            "überschreibt sie nicht.")
                            .arg(entry.path);
}
