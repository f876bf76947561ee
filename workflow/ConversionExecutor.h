#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

#include "BackgroundConversion.h"
#include "WindowWorker.h"
#include "WorkPool.h"

class PostedCalls;

// Where a window's work runs, and the one that knows whether the window is busy. Two lanes:
// the window's conversions (previews, "Speichern unter", the picture for a mail) one after the
// other on the background conversion, and one long task at a time (a folder run, dropped
// pictures, a mail handed to the mail program) on the window's worker, whose pictures side by
// side go to the program's pool. What either lane produces is handed back by value on the
// window's thread; nobody waits for it there.
class ConversionExecutor {
public:
    // Told on the window's thread what a conversion produced.
    using Completion = std::function<void(const ConversionResult&)>;
    using Task = WindowWorker::Task;
    using StartResult = WindowWorker::StartResult;

    // The long work a window may have under way, one at a time.
    enum class Work { None, FolderRun, Mail, Pictures };

    // `window` lives on the GUI thread: completions and ends of tasks are told there.
    ConversionExecutor(QObject* window, Conversion& conversion);
    ConversionExecutor(const ConversionExecutor&) = delete;
    ConversionExecutor& operator=(const ConversionExecutor&) = delete;
    ~ConversionExecutor();

    // A conversion in the background, queued as BackgroundConversion queues it; `done` hears
    // of its result on the window's thread.
    void Recompute(ConversionRequest request, Completion done = {});
    void QuickPreview(const ConversionParams& params);
    // Waits until the conversions asked for so far are done; RunPosted tells their results.
    void WaitIdle() { m_background.WaitIdle(); }
    // From any thread: runs `call` on the window's thread, in order with the results.
    void Post(std::function<void()> call);

    // On the window's thread: the long work under way, from its start (or claim) until its
    // end has been told on the window's thread. A task that has ended is told here first, so
    // that nobody is sent away for work that is over.
    Work Busy();
    bool Doing(Work work) { return Busy() == work; }
    // Marks the window busy with `work` before its task can start (a mail's picture being
    // converted first); Release ends the claim. Only while not busy.
    void Claim(Work work);
    void Release();

    // Starts `task` on the worker unless the window is busy. `ended` runs on the window's
    // thread once the task has ended, however it ended, after the window is no longer busy.
    StartResult Start(Work work, Task task, std::function<void()> ended = {});
    // The same for a task with a result, handed to `ended` by value; none when the task threw
    // (which the worker has told the user).
    template <class Result>
    StartResult Start(Work work, std::function<Result(WindowWorker&)> task,
                      std::function<void(std::optional<Result>)> ended) {
        auto result = std::make_shared<std::optional<Result>>();
        return Start(
            work,
            [task = std::move(task), result](WindowWorker& worker) { *result = task(worker); },
            [result, ended = std::move(ended)] { ended(std::move(*result)); });
    }
    // Asks the long task to end (see WindowWorker::Cancel); from any thread.
    void Cancel() { m_worker.Cancel(); }
    // Cancels the long task and waits for it, carries out the conversions that write a named
    // file, drops the previews, and takes no more conversions. Never from the task.
    void Stop();
    // On the window's thread: tells at once what the conversions handed back and has not been
    // told yet (the long task's posts: Worker().RunPosted()).
    void RunPosted();

    // The lanes themselves, for a folder run's steps (which hold previews back) and tests.
    BackgroundConversion& Background() { return m_background; }
    WindowWorker& Worker() { return m_worker; }
    // Where pictures side by side are converted.
    static WorkPool& Pool() { return WorkPool::Program(); }

private:
    // A child of the window: what is handed back goes with it.
    PostedCalls* const m_posted;
    BackgroundConversion m_background;
    WindowWorker m_worker;
    // On the window's thread only: the work under way, and whether it runs as a task.
    Work m_busy = Work::None;
    bool m_task = false;
};
