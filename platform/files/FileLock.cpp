#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <cerrno>

FileLock::FileLock(const QString& path, int timeoutMs) {
    if (path.isEmpty()) {
        return;
    }
    // No link is followed: the lock file lies in a folder of the user's, but a name that is
    // not a plain file is no lock of ours.
    m_fd = ::open(QFile::encodeName(path).constData(),
                  O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (m_fd < 0) {
        return;
    }
    QElapsedTimer waited;
    waited.start();
    // flock has no time limit of its own; a start that hangs must not hang all later ones.
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited.elapsed() >= timeoutMs) {
            return;
        }
        QThread::msleep(10);
    }
    m_held = true;
}

FileLock::~FileLock() {
    Release();
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

void FileLock::Release() {
    if (m_held) {
        ::flock(m_fd, LOCK_UN);
        m_held = false;
    }
}
