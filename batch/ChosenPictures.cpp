#include "ChosenPictures.h"

#include <QFileInfo>

#include "FolderListing.h"

const QStringList& ReadablePatterns() {
    static const QStringList patterns = [] {
        QStringList list = FolderPatterns();
        for (const char* ending : {"heic", "heif", "webp", "tif", "tiff", "png"}) {
            list << QStringLiteral("*.") + QLatin1String(ending);
        }
        return list;
    }();
    return patterns;
}

ChosenPictures ExpandChosen(const QStringList& paths) {
    ChosenPictures chosen;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            chosen.files << path;
            continue;
        }
        const FolderPictures listing = ListFolderPictures(path, ReadablePatterns());
        if (!listing.error.isEmpty()) {
            chosen.skipped.push_back(
                {path, QStringLiteral("Das Verzeichnis lässt sich nicht lesen."), listing.error});
            continue;
        }
        const QString prefix = FolderPrefix(path);
        for (const SkippedFile& skipped : listing.skipped) {
            // A subfolder named like a picture is none the user chose.
            if (skipped.reason != SkippedFile::Reason::Folder) {
                chosen.skipped.push_back({prefix + skipped.shownName,
                                          SkipReasonGerman(skipped.reason),
                                          SkipReasonText(skipped.reason)});
            }
        }
        chosen.files << listing.pictures;
    }
    return chosen;
}

QString FolderOf(const QString& file) {
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return QStringLiteral(".");
    }
    return slash == 0 ? QStringLiteral("/") : file.left(slash);
}
