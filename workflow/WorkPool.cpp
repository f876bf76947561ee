#include "WorkPool.h"

#include <system_error>

WorkPool::~WorkPool() {
    {
        std::lock_guard lock(m_lock);
        m_ending = true;
        m_changed.notify_all();
    }
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

WorkPool& WorkPool::Program() {
    // Kept to the end and left to the system then: its threads wait idle by the time the
    // program ends, and joining them from the exit handlers would run past code that may
    // already be gone.
    static WorkPool* const pool = new WorkPool;
    return *pool;
}

std::size_t WorkPool::Reserve(std::size_t count) {
    std::lock_guard lock(m_lock);
    try {
        while (m_threads.size() < count) {
            m_threads.emplace_back([this] { Serve(); });
        }
    } catch (const std::system_error&) {
        // As many as there are: the callers share out their work among them.
    }
    return m_threads.size();
}

void WorkPool::Give(std::function<void()> job) {
    std::lock_guard lock(m_lock);
    m_jobs.push_back(std::move(job));
    m_changed.notify_one();
}

void WorkPool::Serve() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
        if (m_jobs.empty()) {
            return;
        }
        const std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}
