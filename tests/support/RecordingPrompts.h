#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/Prompts.h"

// Answers the program's questions from a script and records what it was asked. Installed
// for its lifetime.
class RecordingPrompts final : public Prompts {
public:
    RecordingPrompts();
    ~RecordingPrompts() override;

    Answer ShowMessage(const Message& message) override;
    std::optional<QString> AskFileName(const FileDialogRequest& request) override;

    void AnswerNext(Answer answer);
    // An empty path cancels the dialog.
    void ChooseNext(const QString& path);
    std::vector<Message> Messages() const;
    std::vector<FileDialogRequest> FileRequests() const;
    QStringList Texts() const;

private:
    mutable std::mutex m_mutex;
    Prompts* m_previous;
    std::deque<Answer> m_answers;
    std::deque<QString> m_choices;
    std::vector<Message> m_messages;
    std::vector<FileDialogRequest> m_fileRequests;
};
