#include "ImageThreads.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>
#include <QBuffer>
#include <QImageReader>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace {

// Conversions gain little beyond a few threads, and each kept thread holds its stack.
constexpr int kMostThreads = 4;
// Qt's row functions keep at most a few dozen kilobytes on the stack.
constexpr uint kStackBytes = 1024 * 1024;
// Each pool thread has an event loop of its own, which takes a descriptor or two.
constexpr int kDescriptorsPerThread = 2;
constexpr int kStartMs = 5000;

std::atomic<ImageThreads> g_state{ImageThreads::Ready};

// Whether `count` threads of the pool's stack size, and their descriptors, can be had now:
// a pool thread that fails to start cannot be taken back, so it is tried with plain threads.
ImageThreads ThreadsCanStart(int count) {
    std::vector<int> spare;
    for (int i = 0; i < count * kDescriptorsPerThread; ++i) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            break;
        }
        spare.push_back(fd);
    }
    const bool descriptors = static_cast<int>(spare.size()) == count * kDescriptorsPerThread;
    for (const int fd : spare) {
        ::close(fd);
    }
    if (!descriptors) {
        return ImageThreads::NoDescriptors;
    }
    bool enough = true;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    std::vector<pthread_t> started;
    for (int i = 0; i < count && enough; ++i) {
        pthread_t thread;
        if (::pthread_create(
                &thread, &attributes, [](void*) -> void* { return nullptr; }, nullptr) != 0) {
            enough = false;
            break;
        }
        started.push_back(thread);
    }
    pthread_attr_destroy(&attributes);
    for (const pthread_t thread : started) {
        ::pthread_join(thread, nullptr);
    }
    return enough ? ImageThreads::Ready : ImageThreads::NoMemory;
}

}  // namespace

bool KeepImageThreadsReady() {
    // Qt learns which image plugins exist once, and forgets none it could not open: the
    // list is read now, while descriptors are still plenty, and the plugins of the kinds
    // nearly every run meets are opened with it. The rarer kinds (TIFF, WebP ...) bring
    // libraries of their own and are opened with their first picture.
    for (const char* format : {"jpeg", "gif"}) {
        QBuffer nothing;
        nothing.open(QIODevice::ReadOnly);
        QImageReader reader(&nothing, format);
        reader.setAutoDetectImageFormat(false);  // else Qt asks every plugin it has
        reader.canRead();
    }
    const int count = std::clamp(QThread::idealThreadCount(), 1, kMostThreads);
    g_state = ThreadsCanStart(count);
    if (g_state != ImageThreads::Ready) {
        return false;
    }
    QThreadPool* pool = QThreadPool::globalInstance();
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
    if (!all) {
        g_state = ImageThreads::NoMemory;  // lost a race for what the trial found
    }
    return all;
}

ImageThreads ImageThreadsState() {
    return g_state.load();
}
