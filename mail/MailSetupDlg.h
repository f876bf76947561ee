#pragma once

#include <QDialog>
#include <QString>

// "Mail Setup": the subject and the text that every mail of the program carries.
class CMailSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMailSetupDlg(QWidget* parent = nullptr);

    // Shows the two texts, runs the dialog through the program's prompts and, on "OK", takes
    // them back from the fields. QDialog::Accepted or QDialog::Rejected.
    int DoModal();

    QString m_text;     // edit 1040, several lines
    QString m_subject;  // edit 1039

protected:
    // Into the fields, or with `save` back out of them: the text, then the subject.
    void DoDataExchange(bool save);
};
