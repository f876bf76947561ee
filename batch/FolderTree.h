#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "FolderListing.h"

// One folder of a run over a tree, and where its results go.
struct FolderToConvert {
    QString source;
    QString destination;
    FolderPictures listing;
};

// The folders a run converts, each listed with `patterns` before anything is converted:
// `source` into `destination`, and with `recursive` every folder below it into the folder of
// the same name below `destination`, parents before their subfolders, subfolders by name.
// Hidden folders and symbolic links to folders are not entered, nor the destination when it
// lies inside the source, nor a folder already visited. A subfolder that cannot be read comes
// with its listing's error; one whose name could not be opened is among its parent's skipped
// files.
std::vector<FolderToConvert> ListFolderTree(const QString& source, const QString& destination,
                                            const QStringList& patterns, bool recursive);
