#pragma once

#include <condition_variable>
#include <mutex>

// Shares a memory allowance among conversions that decode at the same time. A decoding
// that needs more than what is left waits until enough comes back; one that needs more than
// the whole allowance runs when nothing else holds any, so that it alone is over budget.
class DecodeBudget {
public:
    explicit DecodeBudget(long long bytes) : m_total(bytes) {}

    class Reservation {
    public:
        Reservation() = default;
        Reservation(const Reservation&) = delete;
        Reservation& operator=(const Reservation&) = delete;
        Reservation(Reservation&& other) noexcept;
        Reservation& operator=(Reservation&& other) noexcept;
        ~Reservation() { Release(); }
        void Release();

    private:
        friend class DecodeBudget;
        Reservation(DecodeBudget* budget, long long bytes) : m_budget(budget), m_bytes(bytes) {}
        DecodeBudget* m_budget = nullptr;
        long long m_bytes = 0;
    };

    // Waits until `bytes` can be had.
    Reservation Reserve(long long bytes);
    long long InUse() const;
    // How many decodings are waiting for their share.
    int Waiting() const;

private:
    void Return(long long bytes);

    const long long m_total;
    mutable std::mutex m_lock;
    std::condition_variable m_returned;
    long long m_inUse = 0;
    int m_waiting = 0;
};
