#include "Directory.h"

#include <dirent.h>
#include <sys/stat.h>
#include <QFile>
#include <cerrno>
#include <memory>

#include "FileOps.h"

namespace {

// Length of the UTF-8 sequence at `at`, or 0 when none begins there.
int SequenceLength(const QByteArray& bytes, qsizetype at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
        return 1;
    }
    int length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < smallest || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

bool ReadDirectory(const QString& folder, std::vector<QByteArray>& names, QString* error) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                  ::closedir);
    if (!dir) {
        *error = LastSystemError();
        return false;
    }
    // readdir tells the end and a failure alike by null; only errno tells them apart. A
    // listing cut short by a failure must not pass for the whole folder.
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            if (errno == 0) {
                return true;
            }
            *error = LastSystemError();
            return false;
        }
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
}

FileKind KindOf(const QByteArray& path) {
    struct stat info {};
    if (::stat(path.constData(), &info) != 0) {
        return FileKind::Missing;
    }
    return S_ISREG(info.st_mode)   ? FileKind::Regular
           : S_ISDIR(info.st_mode) ? FileKind::Folder
                                   : FileKind::Other;
}

std::optional<FolderId> IdentifyFolder(const QByteArray& path, bool followLink) {
    struct stat info {};
    const int status =
        followLink ? ::stat(path.constData(), &info) : ::lstat(path.constData(), &info);
    if (status != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return FolderId{static_cast<unsigned long long>(info.st_dev),
                    static_cast<unsigned long long>(info.st_ino)};
}

bool NameSurvivesDecoding(const QByteArray& name) {
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

QString ShownName(const QByteArray& name) {
    QString shown;
    for (qsizetype at = 0; at < name.size();) {
        const int length = SequenceLength(name, at);
        if (length > 0) {
            shown += QString::fromUtf8(name.constData() + at, length);
            at += length;
        } else {
            shown += QStringLiteral("\\x%1").arg(static_cast<unsigned char>(name[at]), 2, 16,
                                                 QLatin1Char('0'));
            ++at;
        }
    }
    return shown;
}
