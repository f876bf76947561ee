#include "DecodeBudget.h"

#include <utility>

DecodeBudget::Reservation::Reservation(Reservation&& other) noexcept
    : m_budget(std::exchange(other.m_budget, nullptr)), m_bytes(other.m_bytes) {}

DecodeBudget::Reservation& DecodeBudget::Reservation::operator=(Reservation&& other) noexcept {
    if (this != &other) {
        Release();
        m_budget = std::exchange(other.m_budget, nullptr);
        m_bytes = other.m_bytes;
    }
    return *this;
}

void DecodeBudget::Reservation::Release() {
    if (m_budget != nullptr) {
        std::exchange(m_budget, nullptr)->Return(m_bytes);
    }
}

DecodeBudget::Reservation DecodeBudget::Reserve(long long bytes) {
    std::unique_lock lock(m_lock);
    ++m_waiting;
    m_returned.wait(lock, [&] { return m_inUse == 0 || m_inUse + bytes <= m_total; });
    --m_waiting;
    m_inUse += bytes;
    return Reservation(this, bytes);
}

long long DecodeBudget::InUse() const {
    std::lock_guard lock(m_lock);
    return m_inUse;
}

int DecodeBudget::Waiting() const {
    std::lock_guard lock(m_lock);
    return m_waiting;
}

void DecodeBudget::Return(long long bytes) {
    std::lock_guard lock(m_lock);
    m_inUse -= bytes;
    m_returned.notify_all();
}
