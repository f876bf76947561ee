#include "ChosenPictures.h"

#include <QFileInfo>

#include "FolderListing.h"
#include "FolderRunTexts.h"

namespace {

FileProblem AlreadyShrunk(const QString& path) {
    return {path, FolderRunTexts::SkipReason(SkippedFile::Reason::AlreadyShrunk),
            SkipReasonText(SkippedFile::Reason::AlreadyShrunk)};
}

}  // namespace

ChosenPictures ExpandChosen(const QStringList& paths) {
    ChosenPictures chosen;
    ShrunkCopies shrunk;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isDir()) {
            if (shrunk.Contains(path)) {
                chosen.alreadyShrunk.push_back(AlreadyShrunk(path));
            } else {
                chosen.files << path;
            }
            continue;
        }
        const FolderPictures listing = ListFolderPictures(path);
        if (!listing.error.isEmpty()) {
            chosen.skipped.push_back(
                {path, FolderRunTexts::ChosenFolderUnreadable(), listing.error});
            continue;
        }
        const QString prefix = FolderPrefix(path);
        // A subfolder named like a picture is none the user chose.
        for (const SkippedFile& skipped : listing.skipped) {
            if (skipped.reason == SkippedFile::Reason::AlreadyShrunk) {
                chosen.alreadyShrunk.push_back(AlreadyShrunk(prefix + skipped.shownName));
            } else if (skipped.reason != SkippedFile::Reason::Folder) {
                chosen.skipped.push_back({prefix + skipped.shownName,
                                          FolderRunTexts::SkipReason(skipped.reason),
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
