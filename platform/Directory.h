#pragma once

#include <QByteArray>
#include <QString>
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
bool NameSurvivesDecoding(const QByteArray& name);

// A name as it can be shown: bytes that are not UTF-8 appear as \xNN.
QString ShownName(const QByteArray& name);
