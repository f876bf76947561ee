#include "ImageThreads.h"

#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <memory>

namespace {

// Conversions gain little beyond a few threads, and each kept thread holds its stack.
constexpr int kMostThreads = 4;
// Qt's row functions keep at most a few dozen kilobytes on the stack.
constexpr uint kStackBytes = 1024 * 1024;
constexpr int kStartMs = 5000;

}  // namespace

bool KeepImageThreadsReady() {
    QThreadPool* pool = QThreadPool::globalInstance();
    const int count = std::clamp(QThread::idealThreadCount(), 1, kMostThreads);
    pool->setStackSize(kStackBytes);
    pool->setExpiryTimeout(-1);
    pool->setMaxThreadCount(count);
    // Each task waits until all have started, so each gets a thread of its own.
    auto started = std::make_shared<QSemaphore>();
    auto go = std::make_shared<QSemaphore>();
    for (int i = 0; i < count; ++i) {
        pool->start([started, go] {
            started->release();
            go->acquire();
        });
    }
    const bool all = started->tryAcquire(count, kStartMs);
    go->release(count);
    return all;
}
