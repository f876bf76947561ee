#pragma once

#include <QString>
#include <cstdio>

class QFile;

// Creates a new file for binary writing, failing when the name exists already (so a file
// that merely happens to carry the name is never overwritten). Null on failure.
std::FILE* CreateNewFile(const QString& path, unsigned mode = 0666);

// Puts `from` in the place of `to` in one step: `to` is either its old or its new content,
// never missing. Both must lie on one file system.
bool ReplaceFile(const QString& from, const QString& to);

bool RemoveFile(const QString& path);

// Opens a regular file for reading. Anything else (a folder, a FIFO, a device) is refused
// before it is opened for reading, and the opening itself never waits for a writer, so a
// FIFO put in the file's place meanwhile cannot block either. A link another user put in a
// folder everyone may write to is not followed (see SharedFolders.h). On failure `error` says
// why, and errno as the system would.
enum class FileOpening { Opened, NotRegular, ForeignLink, Failed };
FileOpening OpenRegularFile(QFile& file, const QString& path, QString* error);

// Whether two names lead to one existing file (the same device and inode).
bool IsSameFile(const QString& first, const QString& second);
// Whether an open descriptor is the existing file `path` names.
bool IsOpenFileNamed(int descriptor, const QString& path);

// Size in bytes, or -1 when the file does not exist or cannot be examined.
long long FileSize(const QString& path);

// The text of the last failed file operation of this thread, for messages.
QString LastSystemError();

// Which file an open descriptor refers to, and in what state: two identities differ when the
// file was replaced or written in between.
struct FileIdentity {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    long long size = -1;
    long long modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
FileIdentity IdentifyOpenFile(int descriptor);
