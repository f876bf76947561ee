#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The program's threads for conversions side by side: made when first needed and kept, so a
// run of several pictures does not start threads of its own every time. Jobs run in the order
// given; a job must not wait for a later one.
class WorkPool {
public:
    WorkPool() = default;
    WorkPool(const WorkPool&) = delete;
    WorkPool& operator=(const WorkPool&) = delete;
    // Waits for the jobs given so far.
    ~WorkPool();

    // The one pool of the program.
    static WorkPool& Program();

    // Makes sure `count` threads are there; returns how many are (fewer when the system
    // has no more to give, none at all possible).
    std::size_t Reserve(std::size_t count);
    // Runs `job` on one of the threads; with none, never.
    void Give(std::function<void()> job);

private:
    void Serve();

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_jobs;
    bool m_ending = false;
    std::vector<std::thread> m_threads;
};
