#include "ConvertDirDlg.h"

#include <QCheckBox>
#include <QLineEdit>

#include "batch/FolderPane.h"
#include "platform/emulation/Prompts.h"
#include "platform/emulation/StringTable.h"
#include "platform/widgets/DialogTemplate.h"

namespace {

constexpr int kTemplate = 134;
constexpr int kAskPerFile = 1019;
constexpr int kSendByMail = 1020;
constexpr int kSourceEdit = 1021;
constexpr int kDestinationEdit = 1022;
constexpr int kSourcePane = 1060;
constexpr int kDestinationPane = 1061;

void Exchange(QWidget* control, bool save, int& value) {
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
        if (save) {
            value = box->isChecked() ? 1 : 0;
        } else {
            box->setChecked(value != 0);
        }
    }
}

void Exchange(QWidget* control, bool save, QString& value) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (save) {
            value = edit->text();
        } else {
            edit->setText(value);
            edit->setCursorPosition(0);
        }
    }
}

}  // namespace

CConvertDirDlg::CConvertDirDlg(QWidget* parent) : QDialog(parent) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        // The two large edit fields are where the folder trees go, at their place and size.
        ApplyDialogTemplate(*this, *dialogTemplate,
                            [](const ControlTemplate& control, QWidget* parent) -> QWidget* {
                                if (control.id == kSourcePane || control.id == kDestinationPane) {
                                    return new CFolderPane(control.id, parent);
                                }
                                return nullptr;
                            });
    }
    ConnectOkAndCancel(*this);
    SetAccessibleName(*this, kSourceEdit, QStringLiteral("Quell Verzeichnis"));
    SetAccessibleName(*this, kDestinationEdit, QStringLiteral("Ziel Verzeichnis"));
    for (const int id : {kAskPerFile, kSendByMail, kSourcePane, kDestinationPane}) {
        if (QWidget* control = ControlById(*this, id)) {
            control->setToolTip(LoadString(id));
        }
    }
}

CConvertDirDlg::~CConvertDirDlg() = default;

int CConvertDirDlg::DoModal() {
    OnInitDialog();
    const int result = CurrentPrompts().RunDialog(*this);
    if (result == QDialog::Accepted) {
        DoDataExchange(true);
    }
    return result;
}

void CConvertDirDlg::DoDataExchange(bool save) {
    m_destinationPane = qobject_cast<CFolderPane*>(ControlById(*this, kDestinationPane));
    m_sourcePane = qobject_cast<CFolderPane*>(ControlById(*this, kSourcePane));
    Exchange(ControlById(*this, kAskPerFile), save, m_askPerFile);
    Exchange(ControlById(*this, kSendByMail), save, m_sendByMail);
    Exchange(ControlById(*this, kSourceEdit), save, m_sourceFolder);
    Exchange(ControlById(*this, kDestinationEdit), save, m_destinationFolder);
}

bool CConvertDirDlg::OnInitDialog() {
    DoDataExchange(false);
    const auto report = [this](int controlId, const QString& path) {
        OnFolderSelected(controlId, path);
    };
    if (m_sourcePane != nullptr) {
        m_sourcePane->SetFolder(m_sourceFolder);
        m_sourcePane->SetOwner(report);
    }
    if (m_destinationPane != nullptr) {
        m_destinationPane->SetFolder(m_destinationFolder);
        m_destinationPane->SetOwner(report);
    }
    return true;
}

int CConvertDirDlg::OnFolderSelected(int controlId, const QString& path) {
    const int edit = controlId == kSourcePane        ? kSourceEdit
                     : controlId == kDestinationPane ? kDestinationEdit
                                                     : 0;
    if (auto* field = qobject_cast<QLineEdit*>(ControlById(*this, edit))) {
        field->setText(path);
        field->setCursorPosition(0);
    }
    return 1;
}
