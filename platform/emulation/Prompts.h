#pragma once

#include <QString>
#include <optional>

class QDialog;

// Every question or message the program puts to its user goes through one Prompts object.
// The program installs one that shows real dialogs; tests install one that answers from a
// script; without either, messages go to the standard error stream and questions are
// declined, so nothing ever waits for a person who is not there.

enum class Answer { Ok, Cancel, Yes, No };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class MessageIcon { None, Information, Question, Warning, Stop };

struct Message {
    QString caption;
    QString text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // A question whose "Ja" costs something the user cannot get back: Enter answers "Nein".
    bool defaultNo = false;
};

namespace FileDialogOption {
constexpr unsigned HideReadOnly = 1;
constexpr unsigned OverwritePrompt = 2;
constexpr unsigned NoChangeDir = 4;
constexpr unsigned Explorer = 8;
}  // namespace FileDialogOption

struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    QString defaultExtension;
    QString initialName;
    QString filter;  // "Text|patterns|Text|patterns||", patterns separated by ';'
    unsigned options = 0;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual Answer ShowMessage(const Message& message) = 0;
    // The chosen full path, or nothing when the user cancelled.
    virtual std::optional<QString> AskFileName(const FileDialogRequest& request) = 0;
    // Closes the question boxes that are open, as if cancelled: their answers are no longer
    // awaited. Called on the GUI thread.
    virtual void CloseQuestions() {}
    // Runs one of the program's own dialogs modally, on the GUI thread: QDialog::Accepted or
    // QDialog::Rejected. The dialog shows its data before and takes it back after.
    virtual int RunDialog(QDialog& dialog);
    // Tells what work without a window did, in passing; a message where nothing else can.
    virtual void Notify(const QString& summary, const QString& body);
};

Prompts& CurrentPrompts();
// Installs `prompts` (null restores the default) and returns the one it replaces.
Prompts* InstallPrompts(Prompts* prompts);
