#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "FolderRun.h"

// Pictures chosen in a file manager or dropped on the window, as one list to convert.
struct ChosenPictures {
    QStringList files;  // in the order given; a folder's pictures in its listing's order
    // Entries of a folder the listing could not take, and folders that could not be read.
    std::vector<FileProblem> skipped;
    // Results of earlier runs beside their pictures, left alone.
    std::vector<FileProblem> alreadyShrunk;
};

// Files are taken as they are, readable or not: their conversion tells what is wrong. A folder
// contributes its pictures of every readable format, not those of its subfolders. Results of
// earlier runs beside their pictures ("NAME 368x276.jpg" beside "NAME.heic") are not taken,
// whether named or in a folder.
ChosenPictures ExpandChosen(const QStringList& paths);

// The folder a file lies in, as its text says ("." for a bare name): where its result goes.
QString FolderOf(const QString& file);
