#include "PostedCalls.h"

#include <QCoreApplication>

PostedCalls::PostedCalls(QObject* owner) : QObject(owner) {}

void PostedCalls::Post(std::function<void()> call) {
    {
        std::lock_guard lock(m_lock);
        m_calls.push_back(std::move(call));
    }
    // One event per call: a call that opens a box of its own leaves the next ones to the
    // box's event loop, in turn.
    QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

void PostedCalls::RunNext() {
    std::function<void()> call;
    {
        std::lock_guard lock(m_lock);
        if (m_calls.empty()) {
            return;
        }
        call = std::move(m_calls.front());
        m_calls.pop_front();
    }
    call();
}

void PostedCalls::RunAll() {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
