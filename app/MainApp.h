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
};
