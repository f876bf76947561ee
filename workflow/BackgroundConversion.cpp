#include "BackgroundConversion.h"

#include <algorithm>

#include "Conversion.h"

BackgroundConversion::BackgroundConversion(Conversion& conversion)
    : m_conversion(conversion), m_thread([this] { Work(); }) {}

BackgroundConversion::~BackgroundConversion() {
    Stop();
}

void BackgroundConversion::Recompute(const ConversionParams& params, const QString& picturePath,
                                     const QString& outputFolder, const QString& outputName,
                                     const QString& currentPicturePath) {
    Push({false, params, picturePath, outputFolder, outputName, currentPicturePath});
}

void BackgroundConversion::QuickPreview(const ConversionParams& params) {
    Push({true, params, {}, {}, {}, {}});
}

void BackgroundConversion::Push(Job job) {
    std::lock_guard lock(m_lock);
    if (m_stopping) {
        return;
    }
    std::erase_if(m_queue, [&](const Job& queued) {
        return queued.quick || (job.WritesPreviewOnly() && queued.WritesPreviewOnly());
    });
    m_queue.push_back(std::move(job));
    m_changed.notify_all();
}

void BackgroundConversion::WaitIdle() {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_running; });
}

void BackgroundConversion::Stop() {
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
        m_queue.clear();
        m_changed.notify_all();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundConversion::Work() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
        if (m_stopping) {
            return;
        }
        const Job job = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        lock.unlock();
        if (job.quick) {
            m_conversion.QuickPreview(job.params);
        } else {
            m_conversion.Recompute(job.params, job.picturePath, job.outputFolder, job.outputName,
                                   job.currentPicturePath);
        }
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}
