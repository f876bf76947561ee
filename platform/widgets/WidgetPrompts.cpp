#include "WidgetPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <deque>
#include <vector>

#include "DesktopNotification.h"

namespace {

bool IsGuiThread() {
    return QThread::currentThread() == qApp->thread();
}

// Runs `ask` on the GUI thread and hands back its result.
template <typename Result, typename Ask>
Result OnGuiThread(Ask ask) {
    if (IsGuiThread()) {
        return ask();
    }
    Result result{};
    QMetaObject::invokeMethod(
        qApp, [&] { result = ask(); }, Qt::BlockingQueuedConnection);
    return result;
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// Question boxes being shown, so that a closing window can close them. GUI thread only.
std::vector<QPointer<QMessageBox>> g_openQuestions;

Answer Show(const Message& message) {
    QMessageBox box(BoxIcon(message.icon), message.caption, message.text.trimmed());
    const bool question = message.buttons != MessageButtons::Ok;
    if (question) {
        g_openQuestions.emplace_back(&box);
    }
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    if (message.buttons == MessageButtons::Ok) {
        box.addButton(QMessageBox::Ok);
    } else {
        yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        if (message.buttons == MessageButtons::YesNoCancel) {
            cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
        }
        box.setDefaultButton(message.defaultNo ? no : yes);
    }
    box.exec();
    if (question) {
        std::erase(g_openQuestions, QPointer<QMessageBox>(&box));
    }
    const QAbstractButton* clicked = box.clickedButton();
    if (message.buttons == MessageButtons::Ok) {
        return Answer::Ok;
    }
    if (clicked == yes) {
        return Answer::Yes;
    }
    if (clicked == no || cancel == nullptr) {
        return Answer::No;
    }
    return Answer::Cancel;
}

// Notices waiting for the one being shown. GUI thread only: a notice that comes while
// another is open waits for it to close instead of opening on top of it.
std::deque<Message> g_notices;
bool g_showingNotices = false;

bool SameNotice(const Message& a, const Message& b) {
    return a.caption == b.caption && a.text == b.text;
}

void ShowNotice(const Message& message) {
    // The same notice twice in a row says nothing new.
    if (std::any_of(g_notices.begin(), g_notices.end(),
                    [&](const Message& waiting) { return SameNotice(waiting, message); })) {
        return;
    }
    g_notices.push_back(message);
    if (g_showingNotices) {
        return;
    }
    g_showingNotices = true;
    while (!g_notices.empty()) {
        Show(g_notices.front());
        g_notices.pop_front();
    }
    g_showingNotices = false;
}

std::optional<QString> AskName(const FileDialogRequest& request) {
    QFileDialog dialog;
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultExtension);
    dialog.setNameFilters(QtNameFilters(request.filter));
    if (!(request.options & FileDialogOption::OverwritePrompt)) {
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (!request.initialName.isEmpty()) {
        const QFileInfo initial(request.initialName);
        dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString text = parts[i];
        const qsizetype bracket = text.lastIndexOf(QLatin1String(" ("));
        if (bracket >= 0) {
            text.truncate(bracket);
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << text + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

Answer WidgetPrompts::ShowMessage(const Message& message) {
    if (message.buttons == MessageButtons::Ok) {
        // Nothing to wait for in a plain notice, and the GUI thread may itself be waiting for
        // the worker that raised it.
        if (IsGuiThread()) {
            ShowNotice(message);
        } else {
            QMetaObject::invokeMethod(
                qApp, [message] { ShowNotice(message); }, Qt::QueuedConnection);
        }
        return Answer::Ok;
    }
    return OnGuiThread<Answer>([&] { return Show(message); });
}

void WidgetPrompts::CloseQuestions() {
    for (const QPointer<QMessageBox>& box : g_openQuestions) {
        if (box) {
            box->done(QDialog::Rejected);
        }
    }
}

std::optional<QString> WidgetPrompts::AskFileName(const FileDialogRequest& request) {
    return OnGuiThread<std::optional<QString>>([&] { return AskName(request); });
}

int WidgetPrompts::RunDialog(QDialog& dialog) {
    return dialog.exec();
}

void WidgetPrompts::Notify(const QString& summary, const QString& body) {
    if (!NotifyDesktop(summary, body)) {
        Prompts::Notify(summary, body);
    }
}
