#pragma once

#include <QByteArray>
#include <QString>
#include <compare>
#include <optional>
#include <vector>

// The names in a folder as the file system has them (without "." and ".."), in no order.
// Unlike Qt's listings, names that are not UTF-8 are there too. False, with the reason in
// `error`, when the folder cannot be read.
bool ReadDirectory(const QString& folder, std::vector<QByteArray>& names, QString* error);

enum class FileKind { Regular, Folder, Other, Missing };
// What a path names, links followed: a link to nowhere is Missing.
FileKind KindOf(const QByteArray& path);

// Whether Qt's file names give these bytes back (QFile::decodeName, then encodeName): names
// that are not UTF-8 do not, and a file under such a name cannot be opened through Qt.
// Which folder a path names: a walk through a tree knows by it where it has been.
struct FolderId {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    auto operator<=>(const FolderId&) const = default;
};
// The folder `path` names, or nothing when it names no folder. With `followLink` false, a
// symbolic link to a folder is no folder.
std::optional<FolderId> IdentifyFolder(const QByteArray& path, bool followLink);

bool NameSurvivesDecoding(const QByteArray& name);

// A name as it can be shown: bytes that are not UTF-8 appear as \xNN.
QString ShownName(const QByteArray& name);
