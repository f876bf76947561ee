#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/emulation/Prompts.h"

class PostedCalls;

// Runs one long task of a window, such as a folder run, on a thread of its own at lowered
// priority, while the window stays usable. The task may put questions to the user, which
// are shown on the window's thread while the task waits. Cancelling answers a waiting
// question with Cancel at once, so a closing window can always wait for its task.
class WindowWorker {
public:
    using Task = std::function<void(WindowWorker&)>;

    // `window` lives on the GUI thread; questions and posted calls run in its context.
    explicit WindowWorker(QObject* window);
    WindowWorker(const WindowWorker&) = delete;
    WindowWorker& operator=(const WindowWorker&) = delete;
    ~WindowWorker();

    // Starts `task` unless one is running. A thread that cannot be started, and whatever the
    // task throws, are told to the user (Failed).
    enum class StartResult { Started, Busy, Failed };
    StartResult Start(Task task);
    bool Running() const { return m_running; }
    // Asks the task to end: Cancelled() turns true and a waiting question is answered with
    // Cancel (and its box closed). Called from any thread.
    void Cancel();
    // Waits for the task to end. Never call it from the task itself.
    void Wait();

    // For the task: whether it was asked to end.
    bool Cancelled() const { return m_cancelled; }
    const std::atomic<bool>& CancelFlag() const { return m_cancelled; }
    // For the task: shows `message` on the window's thread and waits for the answer;
    // Cancel once cancelled, without showing anything.
    Answer Ask(const Message& message);
    // For the task: runs `call` on the window's thread, without waiting for it.
    void Post(std::function<void()> call);
    // On the window's thread: runs at once what the task posted and what has not run yet.
    void RunPosted();

private:
    struct Question;

    // A child of the window, which outlives the task: it waits for the task before it goes.
    PostedCalls* const m_posted;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancelled{false};
    std::mutex m_lock;  // guards m_question
    std::shared_ptr<Question> m_question;
};
