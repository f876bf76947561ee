#include "FolderListing.h"

#include <QFile>
#include <algorithm>

#include "platform/Directory.h"

namespace {

// What each pattern asks of a name: its ending (the part after the "*"), in any case.
bool EndsWithIgnoringCase(const QByteArray& name, const QByteArray& ending) {
    return name.size() >= ending.size() &&
           name.right(ending.size()).compare(ending, Qt::CaseInsensitive) == 0;
}

}  // namespace

QString FolderPrefix(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

const QStringList& FolderPatterns() {
    static const QStringList patterns = {QStringLiteral("*.jpg"), QStringLiteral("*.jpe"),
                                         QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                         QStringLiteral("*.bmp")};
    return patterns;
}

QString SkipReasonText(SkippedFile::Reason reason) {
    switch (reason) {
        case SkippedFile::Reason::NameNotUtf8:
            return QStringLiteral("the name is not valid UTF-8; rename the file to convert it");
        case SkippedFile::Reason::NotRegularFile:
            return QStringLiteral("not a regular file");
        case SkippedFile::Reason::Folder:
            return QStringLiteral("a folder");
    }
    return {};
}

QString SkipReasonGerman(SkippedFile::Reason reason) {
    switch (reason) {
        case SkippedFile::Reason::NameNotUtf8:
            return QStringLiteral(
                "Der Dateiname ist kein gültiges UTF-8; benennen Sie die Datei "
                "um, damit sie umgewandelt wird.");
        case SkippedFile::Reason::NotRegularFile:
            return QStringLiteral("Das ist keine gewöhnliche Datei.");
        case SkippedFile::Reason::Folder:
            return QStringLiteral("Das ist ein Ordner, keine Bilddatei.");
    }
    return {};
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
