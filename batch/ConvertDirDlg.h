#pragma once

#include <QDialog>
#include <QString>

class CFolderPane;

// "Verzeichnis umwandeln": the source and destination folder, each chosen in a folder tree,
// and whether to ask before each file and to mail the results.
class CConvertDirDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConvertDirDlg(QWidget* parent = nullptr);
    ~CConvertDirDlg() override;

    // Shows the values, runs the dialog through the program's prompts and, on "OK", takes
    // them back from the fields. QDialog::Accepted or QDialog::Rejected.
    int DoModal();

    CFolderPane* m_destinationPane = nullptr;  // in place of control 1061
    CFolderPane* m_sourcePane = nullptr;       // in place of control 1060
    int m_askPerFile = 0;                      // check box 1019
    int m_sendByMail = 0;                      // check box 1020
    QString m_sourceFolder;                    // edit 1021
    QString m_destinationFolder;               // edit 1022

protected:
    // Into the controls, or with `save` back out of them: the check boxes, then the edits.
    void DoDataExchange(bool save);
    // Fills the controls, shows the two folders in the trees, then listens to the trees.
    bool OnInitDialog();
    // A pane's report: the folder goes into the edit above that pane. Always 1.
    int OnFolderSelected(int controlId, const QString& path);
};
