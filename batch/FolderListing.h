#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// A file whose name makes it a picture of the folder but that is not converted.
struct SkippedFile {
    enum class Reason {
        NameNotUtf8,     // its name would not survive Qt's decoding: it could not be opened
        NotRegularFile,  // a FIFO, a device, a link to nowhere
        Folder,          // a folder named like a picture
        // "NAME 368x276.jpg" beside a picture NAME.*: a result of this program, not a picture
        // of the user's to shrink again
        AlreadyShrunk,
    };
    QString shownName;  // without folder; bytes that are not UTF-8 appear as \xNN
    Reason reason;
};

// Why a file was skipped: in English for a terminal, in German for the user.
QString SkipReasonText(SkippedFile::Reason reason);
// Whether a skip leaves out a picture the user meant to convert. Results of earlier runs and
// folders named like pictures are no such loss.
bool SkipIsFailure(SkippedFile::Reason reason);

// Tells the results of earlier runs among files named one by one: "NAME 368x276.jpg" beside a
// picture "NAME.<ending>" of FolderPatterns()' endings. Each folder is read once.
class ShrunkCopies {
public:
    bool Contains(const QString& path);

private:
    std::map<QString, QSet<QString>> m_stemsOf;  // a folder's text -> the stems of its pictures
};

struct FolderPictures {
    QStringList pictures;  // full paths, in the order a run takes them
    std::vector<SkippedFile> skipped;
    QString error;  // why the folder could not be read; empty when it could
};

// The pictures a folder run converts: the files of `folder` matching `patterns` (by default
// FolderPatterns(); in their order, ignoring case, no subfolders), each pattern's names
// sorted, all taken before anything is converted, so results written into the same folder are
// never picked up again. The folder text is used as it is. Entries that match but are not
// converted, folders and results of earlier runs among them, are named in `skipped`, never
// left out silently. Patterns are "*." and an ending, no two of which end alike.
FolderPictures ListFolderPictures(const QString& folder, const QStringList& patterns);
FolderPictures ListFolderPictures(const QString& folder);
// The same from the folder's names as ReadDirectory gave them.
FolderPictures ListFolderPictures(const QString& folder, const std::vector<QByteArray>& names,
                                  const QStringList& patterns);

// The folder text with a separator at its end, unless it has one: what the listing's paths
// begin with.
QString FolderPrefix(const QString& folder);

// The patterns of every picture the program reads, in the order a run takes them: *.jpg,
// *.jpe, *.jpeg, *.gif and *.bmp first, then the kinds of today's cameras and phones.
const QStringList& FolderPatterns();
// The first five alone: JPEG, GIF and BMP.
const QStringList& ClassicPatterns();
