#include "MailSetupDlg.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "platform/DialogTemplate.h"
#include "platform/Prompts.h"

namespace {

constexpr int kTemplate = 136;
constexpr int kSubject = 1039;
constexpr int kText = 1040;
constexpr int kOk = 1;
constexpr int kCancel = 2;

}  // namespace

CMailSetupDlg::CMailSetupDlg(QWidget* parent) : QDialog(parent) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        ApplyDialogTemplate(*this, *dialogTemplate);
    }
    if (auto* ok = qobject_cast<QPushButton*>(ControlById(*this, kOk))) {
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    }
    if (auto* cancel = qobject_cast<QPushButton*>(ControlById(*this, kCancel))) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
    if (QWidget* subject = ControlById(*this, kSubject)) {
        subject->setAccessibleName(QStringLiteral("Betreff"));
    }
    if (QWidget* text = ControlById(*this, kText)) {
        text->setAccessibleName(QStringLiteral("Nachricht"));
    }
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
