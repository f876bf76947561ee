#pragma once

#include <QString>

struct stat;

// Folders other users may write to (sticky and writable by everyone, as /tmp): there another
// user can put a name before the program writes it, a symbolic link to a file of ours or a
// pipe of theirs. The kernel's fs.protected_symlinks, protected_fifos and protected_regular
// guard what the kernel itself follows and creates; the programs follow links and replace
// files themselves, so they keep the same rule on their own, whatever the machine's settings:
// in such a folder only entries of this user or of the folder's owner are followed, written
// into or replaced.

// Whether `entry` (as lstat gave it for `path`) lies in a folder everyone may write to and
// belongs neither to this user nor to that folder's owner.
bool IsForeignInSharedFolder(const QString& path, const struct stat& entry);

// An entry of another user in such a folder, which the program did not use.
struct ForeignEntry {
    QString path;
    bool link = false;  // a symbolic link, not followed; else a file, not replaced or written
    bool IsSet() const { return !path.isEmpty(); }
};

// The end of the chain of symbolic links `path` starts (the name itself when it is none): the
// name content written to `path` really goes to, which need not exist yet. A link of another
// user in a shared folder ends the walk unfollowed, and is named in `foreign`.
struct LinkEnd {
    QString path;
    ForeignEntry foreign;
};
LinkEnd FollowLinks(const QString& path);

// What to say of an entry not used: in words for a terminal, and in German for the user.
QString ForeignEntryText(const ForeignEntry& entry);
QString ForeignEntryGerman(const ForeignEntry& entry);
