#include "TemporaryFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>

#include "EndingSignals.h"
#include "FileOps.h"

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

TemporaryFile::TemporaryFile(const QString& target) : m_target(target) {
    for (int attempt = 0; attempt < kAttempts && m_file == nullptr; ++attempt) {
        m_path = RandomName(target);
        // Registered before it exists, so that no moment leaves it uncovered.
        m_slot = RegisterTemporaryFile(QFile::encodeName(m_path).constData());
        m_file = CreateNewFile(m_path);
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
    if (!Close() || !ReplaceFile(m_path, m_target)) {
        return false;
    }
    m_committed = true;
    return true;
}
