#pragma once

#include <QApplication>

// The application object: starts the program, runs the main window for the program's whole
// life and ends when it closes.
class CMainApp : public QApplication {
    Q_OBJECT
public:
    CMainApp(int& argc, char** argv);

    // Everything from the start to the main window's end. False when the program could not
    // start at all.
    bool InitInstance();
    // What the program ends with: 0, or 1 when pictures chosen in a file manager failed.
    int ExitStatus() const { return m_exitStatus; }

private:
    int m_exitStatus = 0;
};
