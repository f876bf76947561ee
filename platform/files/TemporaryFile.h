#pragma once

#include <QString>
#include <cstdio>

// A new file beside a target, named ".plenmar-<random>.tmp": hidden and with no picture's
// extension, so no folder run takes it for a picture. It is removed when dropped unless
// Commit put it in the target's place, and also when a signal ends the program
// (see EndingSignals.h).
class TemporaryFile {
public:
    // With `ownerOnly`, the file is made readable and writable by its owner alone, from its
    // first moment to its last, whatever the target's permissions were.
    explicit TemporaryFile(const QString& target, bool ownerOnly = false);
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile();

    // Open for binary writing; null when the file could not be made (errno says why).
    std::FILE* Stream() const { return m_file; }
    const QString& Path() const { return m_path; }
    // False, with errno, when the last buffered data could not be written.
    bool Close();
    // Syncs and closes the file and puts it in the target's place in one step, with the
    // permissions of the regular file that was the target when the writing began (none: the
    // umask's); false with errno.
    bool Commit();

private:
    bool KeepTargetsPermissions();

    QString m_target;
    QString m_path;
    std::FILE* m_file = nullptr;
    int m_slot = -1;
    bool m_committed = false;
    bool m_ownerOnly = false;
    // The regular file that was the target when the writing began.
    bool m_targetExisted = false;
    unsigned long long m_targetDevice = 0;
    unsigned long long m_targetInode = 0;
};
