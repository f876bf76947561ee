#include "BackgroundConversion.h"

#include <algorithm>

BackgroundConversion::BackgroundConversion(Conversion& conversion)
    : m_conversion(conversion), m_thread([this] { Work(); }) {}

BackgroundConversion::~BackgroundConversion() {
    Stop();
}

void BackgroundConversion::Recompute(const ConversionParams& params, const QString& picturePath,
                                     const QString& outputFolder, const QString& outputName,
                                     const QString& currentPicturePath, Completion done) {
    Push({false, params, picturePath, outputFolder, outputName, currentPicturePath,
          std::move(done)});
}

void BackgroundConversion::QuickPreview(const ConversionParams& params) {
    Push({true, params, {}, {}, {}, {}, {}});
}

void BackgroundConversion::Push(Job job) {
    std::lock_guard lock(m_lock);
    if (m_stopping) {
        return;
    }
    // A later preview shows everything an earlier one would have; a run redraws the preview
    // that a quick preview would only have touched up.
    std::erase_if(m_queue, [&](const Job& queued) {
        return queued.quick || (job.PreviewRun() && queued.PreviewRun());
    });
    m_queue.push_back(std::move(job));
    m_changed.notify_all();
}

void BackgroundConversion::HoldPreviews(bool hold) {
    std::lock_guard lock(m_lock);
    m_holding = hold;
    m_changed.notify_all();
}

bool BackgroundConversion::Runnable(const Job& job) const {
    return job.WritesNamedFile() || (!m_holding && !m_stopping);
}

void BackgroundConversion::WaitIdle() {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [this] {
        return !m_running && std::none_of(m_queue.begin(), m_queue.end(),
                                          [this](const Job& job) { return Runnable(job); });
    });
}

void BackgroundConversion::Stop() {
    {
        std::lock_guard lock(m_lock);
        m_stopping = true;
        std::erase_if(m_queue, [](const Job& job) { return !job.WritesNamedFile(); });
        m_changed.notify_all();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BackgroundConversion::Work() {
    std::unique_lock lock(m_lock);
    for (;;) {
        auto next = m_queue.end();
        m_changed.wait(lock, [&] {
            next = std::find_if(m_queue.begin(), m_queue.end(),
                                [this](const Job& job) { return Runnable(job); });
            return next != m_queue.end() || (m_stopping && m_queue.empty());
        });
        if (next == m_queue.end()) {
            return;
        }
        const Job job = std::move(*next);
        m_queue.erase(next);
        m_running = true;
        lock.unlock();
        if (job.quick) {
            m_conversion.QuickPreview(job.params);
        } else {
            const ConversionResult result =
                m_conversion.Run(job.params, job.picturePath, job.outputFolder, job.outputName,
                                 job.currentPicturePath);
            if (job.done) {
                job.done(result);
            }
        }
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}
