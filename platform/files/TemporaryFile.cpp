#include "TemporaryFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>

#include "FileOps.h"
#include "platform/processes/EndingSignals.h"

namespace {

const QString kPrefix = QStringLiteral(".plenmar-");
const QString kSuffix = QStringLiteral(".tmp");
// Another file carrying a random name of 64 bits is all but impossible; a few tries suffice.
constexpr int kAttempts = 8;

QString RandomName(const QString& target) {
    const QString folder = target.left(target.lastIndexOf(QLatin1Char('/')) + 1);
    return folder + kPrefix +
           QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                    QLatin1Char('0')) +
           kSuffix;
}

}  // namespace

TemporaryFile::TemporaryFile(const QString& target, bool ownerOnly)
    : m_target(target), m_ownerOnly(ownerOnly) {
    struct stat existing {};
    if (::lstat(QFile::encodeName(target).constData(), &existing) == 0 &&
        S_ISREG(existing.st_mode)) {
        m_targetExisted = true;
        m_targetDevice = existing.st_dev;
        m_targetInode = existing.st_ino;
    }
    for (int attempt = 0; attempt < kAttempts && m_file == nullptr; ++attempt) {
        m_path = RandomName(target);
        // Registered before it exists, so that no moment leaves it uncovered.
        if (!BeginCreatingFile()) {
            errno = EINTR;
            break;
        }
        m_slot = RegisterTemporaryFile(QFile::encodeName(m_path).constData());
        m_file = CreateNewFile(m_path, ownerOnly ? 0600 : 0666);
        EndCreatingFile();
        if (m_file == nullptr) {
            const int reason = errno;
            UnregisterTemporaryFile(m_slot);
            m_slot = -1;
            errno = reason;
            if (reason != EEXIST) {
                break;
            }
        }
    }
}

TemporaryFile::~TemporaryFile() {
    const int saved = errno;
    if (m_file != nullptr) {
        std::fclose(m_file);
    }
    if (!m_committed && !m_path.isEmpty()) {
        RemoveFile(m_path);
    }
    UnregisterTemporaryFile(m_slot);
    errno = saved;
}

bool TemporaryFile::Close() {
    if (m_file == nullptr) {
        return true;
    }
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    return closed;
}

bool TemporaryFile::Commit() {
    if (m_file == nullptr || std::fflush(m_file) != 0 || !KeepTargetsPermissions() ||
        ::fsync(::fileno(m_file)) != 0) {
        return false;
    }
    // Synced before the rename: after a crash the name holds the old file or the whole new
    // one, never an empty one.
    if (!Close() || !ReplaceFile(m_path, m_target)) {
        return false;
    }
    m_committed = true;
    return true;
}

bool TemporaryFile::KeepTargetsPermissions() {
    if (m_ownerOnly) {
        return true;  // made so
    }
    // Only the file that was the target when the writing began lends its permissions: a name
    // put in its place since (a link to some file of wider permissions) is replaced as a new
    // file would be, with the umask's.
    struct stat target {};
    if (!m_targetExisted || ::lstat(QFile::encodeName(m_target).constData(), &target) != 0 ||
        !S_ISREG(target.st_mode) || target.st_dev != m_targetDevice ||
        target.st_ino != m_targetInode) {
        return true;
    }
    // The group too, as far as we may give it; an owner only the superuser could.
    [[maybe_unused]] const int ignored =
        ::fchown(::fileno(m_file), static_cast<uid_t>(-1), target.st_gid);
    return ::fchmod(::fileno(m_file), target.st_mode & 0777) == 0;
}
