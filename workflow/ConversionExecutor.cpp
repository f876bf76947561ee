#include "ConversionExecutor.h"

#include "platform/processes/PostedCalls.h"

ConversionExecutor::ConversionExecutor(QObject* window, Conversion& conversion)
    : m_posted(new PostedCalls(window)), m_background(conversion), m_worker(window) {}

ConversionExecutor::~ConversionExecutor() {
    Stop();
}

void ConversionExecutor::Recompute(ConversionRequest request, Completion done) {
    BackgroundConversion::Completion reply;
    if (done) {
        reply = [posted = m_posted, done = std::move(done)](const ConversionResult& result) {
            posted->Post([done, result] { done(result); });
        };
    }
    m_background.Recompute(std::move(request), std::move(reply));
}

void ConversionExecutor::QuickPreview(const ConversionParams& params) {
    m_background.QuickPreview(params);
}

void ConversionExecutor::Post(std::function<void()> call) {
    m_posted->Post(std::move(call));
}

ConversionExecutor::Work ConversionExecutor::Busy() {
    if (m_task && !m_worker.Running()) {
        m_worker.RunPosted();
    }
    return m_busy;
}

void ConversionExecutor::Claim(Work work) {
    if (m_busy == Work::None) {
        m_busy = work;
    }
}

void ConversionExecutor::Release() {
    m_busy = Work::None;
}

ConversionExecutor::StartResult ConversionExecutor::Start(Work work, Task task,
                                                          std::function<void()> ended) {
    if (Busy() != Work::None) {
        return StartResult::Busy;
    }
    // The last task has told its end and is about to return: collect its thread.
    m_worker.Wait();
    m_busy = work;
    m_task = true;
    const StartResult started = m_worker.Start(
        [this, task = std::move(task), ended = std::move(ended)](WindowWorker& worker) mutable {
            // However the task ends, the window hears of it: a task that threw must not leave
            // the window busy for ever.
            struct Told {
                ConversionExecutor& executor;
                std::function<void()> ended;
                ~Told() {
                    executor.m_worker.Post([&executor = executor, ended = std::move(ended)] {
                        executor.m_busy = Work::None;
                        executor.m_task = false;
                        if (ended) {
                            ended();
                        }
                    });
                }
            } told{*this, std::move(ended)};
            task(worker);
        });
    if (started != StartResult::Started) {
        m_busy = Work::None;
        m_task = false;
    }
    return started;
}

void ConversionExecutor::Stop() {
    m_worker.Cancel();
    m_worker.Wait();
    m_background.Stop();
}

void ConversionExecutor::RunPosted() {
    m_posted->RunAll();
}
