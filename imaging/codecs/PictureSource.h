#pragma once

#include <QIODevice>
#include <atomic>
#include <utility>
#include <vector>

// A picture's bytes as the decoders read them, from a file or memory. The decoders take a
// failed read for the end of the file and make up the rest; this device remembers that the
// system failed, so the picture is not passed off as merely cut off. A decoding under way
// when the program is asked to end (see EndingSignals.h) finds the file at its end, so it
// stops within moments, whatever the picture.
class PictureSource : public QIODevice {
public:
    // `inner` is open for reading and outlives this device.
    explicit PictureSource(QIODevice& inner);

    // Whether a read failed in the system (EIO from a failing disk, for instance).
    bool ReadFailed() const { return m_readFailed; }
    // Whether the reading stopped because the program is ending.
    bool Stopped() const { return m_stopped; }

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_inner.size(); }
    bool seek(qint64 position) override;

    // From now on reads see `bytes` in place of the inner device's own from `offset` on: a
    // chunk a decoder is to pass over, renamed.
    void Overlay(qint64 offset, const QByteArray& bytes);

    // For tests: every read reaching past `offset` fails as a failing disk's would; -1 ends it.
    static void FailReadsPast(qint64 offset);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& m_inner;
    bool m_readFailed = false;
    bool m_stopped = false;
    std::vector<std::pair<qint64, QByteArray>> m_overlays;
};
