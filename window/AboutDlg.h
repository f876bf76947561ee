#pragma once

#include <QDialog>

// What the program is, its version, and the libraries it stands on with their licences.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    static QString Text();
};
