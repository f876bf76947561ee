#include "RecordingPrompts.h"

#include <QDialog>
#include <QStringList>

RecordingPrompts::RecordingPrompts() : m_previous(InstallPrompts(this)) {}

RecordingPrompts::~RecordingPrompts() {
    InstallPrompts(m_previous);
}

Answer RecordingPrompts::ShowMessage(const Message& message) {
    std::function<Answer(const Message&)> answer;
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(message);
        if (message.buttons == MessageButtons::Ok) {
            return Answer::Ok;  // a notice: the scripted answers are for questions
        }
        if (m_answers.empty()) {
            return Answer::Cancel;
        }
        answer = std::move(m_answers.front());
        m_answers.pop_front();
    }
    // Outside the lock: the answer may well lead to further messages.
    return answer(message);
}

std::optional<QString> RecordingPrompts::AskFileName(const FileDialogRequest& request) {
    std::lock_guard lock(m_mutex);
    m_fileRequests.push_back(request);
    if (m_choices.empty() || m_choices.front().isEmpty()) {
        if (!m_choices.empty()) {
            m_choices.pop_front();
        }
        return std::nullopt;
    }
    const QString choice = m_choices.front();
    m_choices.pop_front();
    return choice;
}

void RecordingPrompts::AnswerNext(Answer answer) {
    AnswerNextWith([answer](const Message&) { return answer; });
}

void RecordingPrompts::AnswerNextWith(std::function<Answer(const Message&)> answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(std::move(answer));
}

void RecordingPrompts::ChooseNext(const QString& path) {
    std::lock_guard lock(m_mutex);
    m_choices.push_back(path);
}

void RecordingPrompts::Notify(const QString& summary, const QString& body) {
    std::lock_guard lock(m_mutex);
    m_notifications << summary + QLatin1Char('\n') + body;
}

QStringList RecordingPrompts::Notifications() const {
    std::lock_guard lock(m_mutex);
    return m_notifications;
}

std::vector<Message> RecordingPrompts::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_messages;
}

std::vector<FileDialogRequest> RecordingPrompts::FileRequests() const {
    std::lock_guard lock(m_mutex);
    return m_fileRequests;
}

QStringList RecordingPrompts::Texts() const {
    std::lock_guard lock(m_mutex);
    QStringList texts;
    for (const Message& message : m_messages) {
        texts << message.text;
    }
    return texts;
}

int RecordingPrompts::RunDialog(QDialog& dialog) {
    std::function<int(QDialog&)> answer;
    {
        std::lock_guard lock(m_mutex);
        m_dialogCaptions << dialog.windowTitle();
        if (!m_dialogAnswers.empty()) {
            answer = std::move(m_dialogAnswers.front());
            m_dialogAnswers.pop_front();
        }
    }
    return answer ? answer(dialog) : QDialog::Rejected;
}

void RecordingPrompts::AnswerDialogNext(std::function<int(QDialog&)> answer) {
    std::lock_guard lock(m_mutex);
    m_dialogAnswers.push_back(std::move(answer));
}

QStringList RecordingPrompts::DialogCaptions() const {
    std::lock_guard lock(m_mutex);
    return m_dialogCaptions;
}
