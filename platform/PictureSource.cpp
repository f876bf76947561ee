#include "PictureSource.h"

#include <algorithm>
#include <cerrno>

#include "EndingSignals.h"

namespace {

std::atomic<qint64> g_failPast{-1};

}  // namespace

PictureSource::PictureSource(QIODevice& inner) : m_inner(inner) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    QIODevice::seek(inner.pos());
}

void PictureSource::FailReadsPast(qint64 offset) {
    g_failPast = offset;
}

bool PictureSource::seek(qint64 position) {
    return m_inner.seek(position) && QIODevice::seek(position);
}

qint64 PictureSource::readData(char* data, qint64 maxSize) {
    if (EndingRequested()) {
        m_stopped = true;
        return -1;
    }
    const qint64 failPast = g_failPast.load();
    const qint64 at = m_inner.pos();
    if (failPast >= 0 && at + maxSize > failPast && at < size()) {
        maxSize = std::max<qint64>(failPast - at, 0);
        if (maxSize == 0) {
            errno = EIO;
            m_readFailed = true;
            return -1;
        }
    }
    const qint64 read = m_inner.read(data, maxSize);
    if (read < 0) {
        m_readFailed = true;
    }
    return read;
}
