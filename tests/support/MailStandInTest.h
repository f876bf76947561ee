#pragma once

#include <QFile>
#include <QStringList>

#include "MailStandIn.h"
#include "RecordingPrompts.h"
#include "WindowTest.h"

// The tests that hand pictures to a mail program: the xdg-email stand-in first on PATH, and
// the program's cache and runtime folders (where mails are staged) in folders of the test's
// own; all as it was again afterwards.
class MailStandInTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        m_path = qgetenv("PATH");
        m_runtimeSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        m_runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.Path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.Path()));
        InstallMailStandIn(bin);
    }
    void TearDown() override {
        qputenv("PATH", m_path);
        if (m_runtimeSet) {
            qputenv("XDG_RUNTIME_DIR", m_runtime);
        } else {
            qunsetenv("XDG_RUNTIME_DIR");
        }
        qunsetenv("XDG_CACHE_HOME");
        WindowTest::TearDown();
    }

    // The arguments of the stand-in's last call.
    QStringList MailArguments() const { return MailStandInArguments(bin); }
    // The files it was to attach, as it was given them.
    QStringList Attached() const {
        QStringList attached;
        const QStringList arguments = MailArguments();
        for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
            if (arguments[i] == QLatin1String("--attach")) {
                attached << arguments[i + 1];
            }
        }
        return attached;
    }

    TestFolder bin;
    TestFolder cache;
    TestFolder runtime;
    TestFolder pictures;
    RecordingPrompts prompts;

private:
    QByteArray m_path;
    QByteArray m_runtime;
    bool m_runtimeSet = false;
};
