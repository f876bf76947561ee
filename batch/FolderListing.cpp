#include "FolderListing.h"

#include <QFile>
#include <QRegularExpression>
#include <algorithm>

#include "imaging/codecs/PictureDefect.h"
#include "platform/files/Directory.h"

namespace {

// What each pattern asks of a name: its ending (the part after the "*"), in any case.
bool EndsWithIgnoringCase(const QByteArray& name, const QByteArray& ending) {
    return name.size() >= ending.size() &&
           name.right(ending.size()).compare(ending, Qt::CaseInsensitive) == 0;
}

// The ending of `name` among the patterns' (with its dot), or an empty one.
qsizetype PictureEndingLength(const QByteArray& name, const QStringList& patterns) {
    for (const QString& pattern : patterns) {
        const QByteArray ending = pattern.mid(1).toLatin1();
        if (EndsWithIgnoringCase(name, ending)) {
            return ending.size();
        }
    }
    return 0;
}

// The names the pictures among `names` have without their ending.
QSet<QString> PictureStems(const std::vector<QByteArray>& names) {
    QSet<QString> stems;
    for (const QByteArray& name : names) {
        if (const qsizetype ending = PictureEndingLength(name, FolderPatterns()); ending > 0) {
            stems.insert(QFile::decodeName(name.left(name.size() - ending)));
        }
    }
    return stems;
}

// The NAME of "NAME 368x276.jpg", as this program names its results; empty for other names.
QString ShrunkCopyStem(const QString& name) {
    static const QRegularExpression result(QStringLiteral("^(.+) [1-9][0-9]*x[1-9][0-9]*\\.jpg$"));
    const QRegularExpressionMatch match = result.match(name);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool IsShrunkCopyAmong(const QString& name, const QSet<QString>& pictureStems) {
    const QString stem = ShrunkCopyStem(name);
    return !stem.isEmpty() && pictureStems.contains(stem);
}

}  // namespace

bool ShrunkCopies::Contains(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    if (ShrunkCopyStem(name).isEmpty()) {
        return false;
    }
    const QString folder =
        slash < 0 ? QStringLiteral(".") : path.left(std::max<qsizetype>(slash, 1));
    auto known = m_stemsOf.find(folder);
    if (known == m_stemsOf.end()) {
        std::vector<QByteArray> names;
        QString ignored;
        ReadDirectory(folder, names, &ignored);
        known = m_stemsOf.emplace(folder, PictureStems(names)).first;
    }
    return IsShrunkCopyAmong(name, known->second);
}

QString FolderPrefix(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

const QStringList& ClassicPatterns() {
    static const QStringList patterns = {QStringLiteral("*.jpg"), QStringLiteral("*.jpe"),
                                         QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                         QStringLiteral("*.bmp")};
    return patterns;
}

const QStringList& FolderPatterns() {
    static const QStringList patterns = [] {
        QStringList list = ClassicPatterns();
        for (const char* ending : {"heic", "heif", "webp", "png", "tif", "tiff"}) {
            list << QStringLiteral("*.") + QLatin1String(ending);
        }
        return list;
    }();
    return patterns;
}

QString SkipReasonText(SkippedFile::Reason reason) {
    switch (reason) {
        case SkippedFile::Reason::NameNotUtf8:
            return DefectText(PictureDefect::NameNotUtf8);
        case SkippedFile::Reason::NotRegularFile:
            return QStringLiteral("not a regular file");
        case SkippedFile::Reason::Folder:
            return QStringLiteral("a folder");
        case SkippedFile::Reason::AlreadyShrunk:
            return QStringLiteral("already shrunk: a result of an earlier run beside its picture");
    }
    return {};
}

bool SkipIsFailure(SkippedFile::Reason reason) {
    return reason != SkippedFile::Reason::Folder && reason != SkippedFile::Reason::AlreadyShrunk;
}

FolderPictures ListFolderPictures(const QString& folder) {
    return ListFolderPictures(folder, FolderPatterns());
}

FolderPictures ListFolderPictures(const QString& folder, const QStringList& patterns) {
    std::vector<QByteArray> names;
    QString error;
    if (!ReadDirectory(folder, names, &error)) {
        FolderPictures listing;
        listing.error = error;
        return listing;
    }
    return ListFolderPictures(folder, names, patterns);
}

FolderPictures ListFolderPictures(const QString& folder, const std::vector<QByteArray>& names,
                                  const QStringList& patterns) {
    FolderPictures listing;
    const QString prefix = FolderPrefix(folder);
    const QSet<QString> pictureStems = PictureStems(names);
    for (const QString& pattern : patterns) {
        const QByteArray ending = pattern.mid(1).toLatin1();
        QStringList matching;
        std::vector<SkippedFile> skipped;
        for (const QByteArray& name : names) {
            // ".jpeg" ends neither in ".jpe" nor ".jpg": each file matches one pattern at most.
            if (!EndsWithIgnoringCase(name, ending)) {
                continue;
            }
            const FileKind kind = KindOf(QFile::encodeName(prefix) + name);
            if (kind == FileKind::Folder) {
                skipped.push_back({ShownName(name), SkippedFile::Reason::Folder});
            } else if (!NameSurvivesDecoding(name)) {
                skipped.push_back({ShownName(name), SkippedFile::Reason::NameNotUtf8});
            } else if (kind != FileKind::Regular) {
                skipped.push_back({QFile::decodeName(name), SkippedFile::Reason::NotRegularFile});
            } else if (IsShrunkCopyAmong(QFile::decodeName(name), pictureStems)) {
                skipped.push_back({QFile::decodeName(name), SkippedFile::Reason::AlreadyShrunk});
            } else {
                matching << prefix + QFile::decodeName(name);
            }
        }
        // Sorted by name, so that every run over the same folder takes the same order.
        std::sort(matching.begin(), matching.end());
        listing.pictures << matching;
        std::sort(skipped.begin(), skipped.end(), [](const SkippedFile& a, const SkippedFile& b) {
            return a.shownName < b.shownName;
        });
        listing.skipped.insert(listing.skipped.end(), skipped.begin(), skipped.end());
    }
    return listing;
}
