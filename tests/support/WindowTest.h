#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <memory>

#include "TestFiles.h"
#include "window/MainDlg.h"

// The tests that start a main window: settings and working files in folders of the test's
// own, so no test sees the user's or another test's.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.Path());
        qputenv("TEMP", QFile::encodeName(temp.Path()));
    }
    void TearDown() override { qunsetenv("TEMP"); }

    // Shows a window as the program starts it and waits for its first conversion.
    static std::unique_ptr<CMainDlg> Start(const char* mailLibrary = "MAPI32.DLL") {
        auto window = std::make_unique<CMainDlg>(nullptr, mailLibrary);
        window->show();
        window->WaitForConversions();
        return window;
    }

    TestFolder config;
    TestFolder temp;
};
