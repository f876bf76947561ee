#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

// Calls handed from any thread to the thread of an object, run there one by one in the order
// they came. The calls pass through a lock of ours as well as through Qt's event queue,
// whose own lock ThreadSanitizer cannot see, so the hand-over is plain to it too.
class PostedCalls : public QObject {
    Q_OBJECT
public:
    // Made on `owner`'s thread, as a child of `owner`: calls not yet run go with it.
    explicit PostedCalls(QObject* owner);

    void Post(std::function<void()> call);
    // On the owner's thread: runs at once the calls that have not run yet.
    void RunAll();

private:
    Q_INVOKABLE void RunNext();

    std::mutex m_lock;
    std::deque<std::function<void()>> m_calls;
};
