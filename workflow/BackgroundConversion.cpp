#include "BackgroundConversion.h"

#include <algorithm>

BackgroundConversion::BackgroundConversion(Conversion& conversion) : m_conversion(conversion) {
    try {
        m_thread = std::thread([this] { Work(); });
    } catch (const std::system_error&) {
        // Without a thread of their own the runs are carried out as they are asked for.
    }
}

BackgroundConversion::~BackgroundConversion() {
    Stop();
}

void BackgroundConversion::Recompute(ConversionRequest request, Completion done) {
    Push({.quick = false, .request = std::move(request), .done = std::move(done)});
}

void BackgroundConversion::QuickPreview(const ConversionParams& params) {
    Push({.quick = true, .request = {.params = params}, .done = {}});
}

void BackgroundConversion::Push(Job job) {
    if (!m_thread.joinable()) {
        if (!m_stopping) {
            Carry(job);
        }
        return;
    }
    std::lock_guard lock(m_lock);
    if (m_stopping) {
        return;
    }
    // A later preview shows everything an earlier one would have; a run redraws the preview
    // that a quick preview would only have touched up. A preview whose outcome someone waits
    // to hear (a picture being opened) still runs.
    std::erase_if(m_queue, [&](const Job& queued) {
        return queued.quick || (job.PreviewRun() && queued.PreviewRun() && !queued.done);
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

void BackgroundConversion::Carry(const Job& job) {
    if (job.quick) {
        try {
            m_conversion.QuickPreview(job.request.params);
        } catch (const std::exception&) {
            // The last preview stays; the full run after the pause tells what is wrong.
        }
        return;
    }
    const ConversionResult result = GuardedRun([&] { return m_conversion.Run(job.request); });
    if (job.done) {
        job.done(result);
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
        Carry(job);
        lock.lock();
        m_running = false;
        m_changed.notify_all();
    }
}
