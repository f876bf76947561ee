#pragma once

#include <QStringList>

#include "platform/emulation/Prompts.h"

// The real dialogs: message boxes and file dialogs, always shown on the GUI thread; a worker
// thread that asks waits for the answer. Notices (an OK button only) never wait and never
// stack up: one is shown at a time, the others follow in turn, the same one only once.
class WidgetPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message& message) override;
    std::optional<QString> AskFileName(const FileDialogRequest& request) override;
    void CloseQuestions() override;
    int RunDialog(QDialog& dialog) override;
    // A notification of the desktop's; a message box where no notification service answers.
    void Notify(const QString& summary, const QString& body) override;
};

// "Bilder (*.jpg;*.gif)|*.jpg;*.gif||" becomes Qt's "Bilder (*.jpg *.gif)".
QStringList QtNameFilters(const QString& filter);
