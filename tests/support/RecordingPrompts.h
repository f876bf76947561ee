#pragma once

#include <QStringList>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/emulation/Prompts.h"

// Answers the program's questions from a script and records what it was asked. Installed
// for its lifetime.
class RecordingPrompts final : public Prompts {
public:
    RecordingPrompts();
    ~RecordingPrompts() override;

    Answer ShowMessage(const Message& message) override;
    std::optional<QString> AskFileName(const FileDialogRequest& request) override;

    // The next dialog is handed to `answer`, which may fill in its fields, and ends with what
    // `answer` returns. Dialogs without one are cancelled.
    int RunDialog(QDialog& dialog) override;
    void AnswerDialogNext(std::function<int(QDialog&)> answer);
    // The captions of the dialogs run so far.
    QStringList DialogCaptions() const;

    // Answers the next question (a message with more than an OK button); notices get OK.
    void AnswerNext(Answer answer);
    // The next question is answered by `answer`, called on the thread that asks (the GUI
    // thread for a worker's question) while the asker waits: a test acts there as a person
    // would while the box is open.
    void AnswerNextWith(std::function<Answer(const Message&)> answer);
    // An empty path cancels the dialog.
    void ChooseNext(const QString& path);
    // Notifications are recorded apart from messages, as "heading\ntext".
    void Notify(const QString& summary, const QString& body) override;
    QStringList Notifications() const;
    std::vector<Message> Messages() const;
    std::vector<FileDialogRequest> FileRequests() const;
    QStringList Texts() const;

private:
    mutable std::mutex m_mutex;
    Prompts* m_previous;
    std::deque<std::function<Answer(const Message&)>> m_answers;
    std::deque<QString> m_choices;
    std::deque<std::function<int(QDialog&)>> m_dialogAnswers;
    QStringList m_dialogCaptions;
    std::vector<Message> m_messages;
    QStringList m_notifications;
    std::vector<FileDialogRequest> m_fileRequests;
};
