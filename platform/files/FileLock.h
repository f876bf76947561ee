#pragma once

#include <QString>

// An exclusive lock on a file of the user's own, held while the object lives: lets starts of
// the program that happen at the same moment take their turns. The file is made when missing
// and left in place, so a later start locks the same one.
class FileLock {
public:
    // Waits for the lock `timeoutMs` at most; Held() tells whether it was had. An empty path
    // locks nothing.
    FileLock(const QString& path, int timeoutMs);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    bool Held() const { return m_held; }
    // Gives the lock up before the object goes.
    void Release();

private:
    int m_fd = -1;
    bool m_held = false;
};
