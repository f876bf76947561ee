#pragma once

#include <QString>
#include <QStringList>

// The pictures a folder run converts: the files of `folder` matching *.jpg, *.jpe, *.jpeg,
// *.gif and *.bmp (in that order, ignoring case, no subfolders), each pattern's names taken
// before anything is converted, so results written into the same folder are never picked
// up again. Full paths; the folder text is used as it is.
QStringList ListFolderPictures(const QString& folder);

// The patterns, in the order a run takes them.
const QStringList& FolderPatterns();
