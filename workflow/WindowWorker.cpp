#include "WindowWorker.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <new>
#include <optional>

#include "ConversionTexts.h"
#include "platform/processes/PostedCalls.h"
#include "platform/processes/ThreadPriority.h"

// One question on its way to the user and back; answered once, by the user or by a cancel.
struct WindowWorker::Question {
    std::mutex lock;
    std::condition_variable answered;
    std::optional<Answer> answer;
    bool shown = false;

    void Give(Answer given) {
        std::lock_guard guard(lock);
        if (!answer) {
            answer = given;
            answered.notify_all();
        }
    }
};

WindowWorker::WindowWorker(QObject* window) : m_posted(new PostedCalls(window)) {}

WindowWorker::~WindowWorker() {
    Cancel();
    Wait();
}

WindowWorker::StartResult WindowWorker::Start(Task task) {
    if (m_running) {
        return StartResult::Busy;
    }
    Wait();  // the last task's thread has ended; collect it
    m_cancelled = false;
    m_running = true;
    try {
        m_thread = std::thread([this, task = std::move(task)] {
            LowerThisThreadsPriority();
            try {
                task(*this);
            } catch (const std::bad_alloc&) {
                CurrentPrompts().ShowMessage(
                    {QStringLiteral("Plenmar"),
                     ConversionTexts::TaskFailed(ConversionTexts::NotEnoughMemory()),
                     MessageButtons::Ok, MessageIcon::Warning});
            } catch (const std::exception& error) {
                // A task ends its own work properly on every failure it expects; this one it
                // did not, and the program goes on without it.
                CurrentPrompts().ShowMessage(
                    {QStringLiteral("Plenmar"),
                     ConversionTexts::TaskFailed(QString::fromLocal8Bit(error.what())),
                     MessageButtons::Ok, MessageIcon::Warning});
            }
            m_running = false;
        });
    } catch (const std::system_error& error) {
        m_running = false;
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"),
             ConversionTexts::TaskFailed(QString::fromLocal8Bit(error.what())), MessageButtons::Ok,
             MessageIcon::Warning});
        return StartResult::Failed;
    }
    return StartResult::Started;
}

void WindowWorker::Cancel() {
    m_cancelled = true;
    std::shared_ptr<Question> question;
    {
        std::lock_guard guard(m_lock);
        question = m_question;
    }
    if (question == nullptr) {
        return;
    }
    bool shown = false;
    {
        std::lock_guard guard(question->lock);
        shown = question->shown;
    }
    question->Give(Answer::Cancel);
    if (shown && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        // The box is open further up this thread's stack: nobody waits for its answer now.
        CurrentPrompts().CloseQuestions();
    }
}

void WindowWorker::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

Answer WindowWorker::Ask(const Message& message) {
    auto question = std::make_shared<Question>();
    {
        std::lock_guard guard(m_lock);
        if (m_cancelled) {
            return Answer::Cancel;
        }
        m_question = question;
    }
    Post([question, message] {
        {
            std::lock_guard guard(question->lock);
            if (question->answer) {
                return;  // cancelled before it could be shown
            }
            question->shown = true;
        }
        question->Give(CurrentPrompts().ShowMessage(message));
    });
    Answer answer = Answer::Cancel;
    {
        std::unique_lock guard(question->lock);
        question->answered.wait(guard, [&] { return question->answer.has_value(); });
        answer = *question->answer;
    }
    std::lock_guard guard(m_lock);
    m_question.reset();
    return answer;
}

void WindowWorker::Post(std::function<void()> call) {
    m_posted->Post(std::move(call));
}

void WindowWorker::RunPosted() {
    m_posted->RunAll();
}
