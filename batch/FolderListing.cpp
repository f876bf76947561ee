#include "FolderListing.h"

#include <QDir>

const QStringList& FolderPatterns() {
    static const QStringList patterns = {QStringLiteral("*.jpg"), QStringLiteral("*.jpe"),
                                         QStringLiteral("*.jpeg"), QStringLiteral("*.gif"),
                                         QStringLiteral("*.bmp")};
    return patterns;
}

QStringList ListFolderPictures(const QString& folder) {
    const QDir dir(folder);
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    QStringList paths;
    for (const QString& pattern : FolderPatterns()) {
        // Sorted by name, so that every run over the same folder takes the same order.
        const QStringList names = dir.entryList({pattern}, QDir::Files | QDir::Hidden, QDir::Name);
        for (const QString& name : names) {
            paths << prefix + name;
        }
    }
    return paths;
}
