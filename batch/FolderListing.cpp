#include "FolderListing.h"

#include <QDir>

const QStringList& FolderPatterns() {
    static const QStringList patterns = {QStringLiteral("*.jpg"), QStringLiteral("*.jpe"),
                                         QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                         QStringLiteral("*.bmp")};
    return patterns;
}

FolderListing ListFolder(const QString& folder) {
    const QDir dir(folder);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    FolderListing listing;
    for (const QString& pattern : FolderPatterns()) {
        // Sorted by name, so that every run over the same folder takes the same order.
        const QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names) {
            listing.files << prefix + name;
        }
        const QStringList folders =
            dir.entryList({pattern}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
        for (const QString& name : folders) {
            listing.skipped.push_back({prefix + name,
                                       QStringLiteral("Das ist ein Ordner, keine Bilddatei."),
                                       QStringLiteral("is a folder")});
        }
    }
    return listing;
}
