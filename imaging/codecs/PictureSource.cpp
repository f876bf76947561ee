#include "PictureSource.h"

#include <algorithm>
#include <cerrno>

#include "platform/processes/EndingSignals.h"

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

void PictureSource::Overlay(qint64 offset, const QByteArray& bytes) {
    m_overlays.emplace_back(offset, bytes);
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
    qint64 wanted = maxSize;
    if (failPast >= 0 && at + maxSize > failPast && at < size()) {
        wanted = std::max<qint64>(failPast - at, 0);
        if (wanted == 0) {
            errno = EIO;
            m_readFailed = true;
            return -1;
        }
    }
    const qint64 read = m_inner.read(data, wanted);
    // A file gives all that is asked up to its end; less, short of the end, is what a read
    // error leaves after the bytes before it (QFile reports the error only at the next read,
    // which a decoder that takes the short read for the end never makes).
    if (read < 0 || (read < maxSize && m_inner.pos() < m_inner.size())) {
        m_readFailed = true;
    }
    for (const auto& [offset, bytes] : m_overlays) {
        const qint64 from = std::max(at, offset);
        const qint64 to = std::min(at + read, offset + bytes.size());
        if (from < to) {
            std::copy(bytes.constData() + (from - offset), bytes.constData() + (to - offset),
                      data + (from - at));
        }
    }
    return read;
}
