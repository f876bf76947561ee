#include "MailSetupDlg.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/emulation/Prompts.h"
#include "platform/widgets/DialogTemplate.h"

namespace {

constexpr int kTemplate = 136;
constexpr int kSubject = 1039;
constexpr int kText = 1040;

}  // namespace

CMailSetupDlg::CMailSetupDlg(QWidget* parent) : QDialog(parent) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        ApplyDialogTemplate(*this, *dialogTemplate);
    }
    ConnectOkAndCancel(*this);
    SetAccessibleName(*this, kSubject, QStringLiteral("Betreff"));
    SetAccessibleName(*this, kText, QStringLiteral("Nachricht"));
}

int CMailSetupDlg::DoModal() {
    DoDataExchange(false);
    const int result = CurrentPrompts().RunDialog(*this);
    if (result == QDialog::Accepted) {
        DoDataExchange(true);
    }
    return result;
}

void CMailSetupDlg::DoDataExchange(bool save) {
    if (auto* text = qobject_cast<QPlainTextEdit*>(ControlById(*this, kText))) {
        if (save) {
            m_text = text->toPlainText();
        } else {
            text->setPlainText(m_text);
        }
    }
    if (auto* subject = qobject_cast<QLineEdit*>(ControlById(*this, kSubject))) {
        if (save) {
            m_subject = subject->text();
        } else {
            subject->setText(m_subject);
        }
    }
}
