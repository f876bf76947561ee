#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// An entry of the folder that matches a pattern but is no file a run can convert.
struct SkippedEntry {
    QString path;
    QString reason;  // in German, for the user
    QString error;   // in words for a terminal
};

// What a folder run converts: the files of `folder` matching *.jpg, *.jpe, *.jpeg, *.gif and
// *.bmp (in that order, ignoring case, no subfolders), each pattern's names sorted and all of
// them taken before anything is converted, so results written into the same folder are
// never picked up again. Full paths; the folder text is used as it is.
struct FolderListing {
    QStringList files;
    std::vector<SkippedEntry> skipped;  // folders named like pictures, in the order found
};

FolderListing ListFolder(const QString& folder);

// The patterns, in the order a run takes them.
const QStringList& FolderPatterns();
