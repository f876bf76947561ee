#include <gtest/gtest.h>

#include <signal.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <utility>

#include "support/TestFiles.h"

TEST(Program, EndsAsIfClosedWhenASignalEndsIt) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        TestFolder home;
        const QString temp = home.File("temp");
        QDir(home.Path()).mkpath("temp");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.Path());
        environment.insert("XDG_CONFIG_HOME", home.File("config"));
        environment.insert("XDG_DATA_HOME", home.File("data"));
        environment.insert("TEMP", temp);
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess program;
        StartWithStandardSignals(program);
        program.setProcessEnvironment(environment);
        program.start(PLENMAR_PROGRAM, {});
        ASSERT_TRUE(program.waitForStarted());
        // The first conversion writes the preview file: the window is up.
        const QString preview = temp + "/Temppic.jpg";
        const QDeadlineTimer deadline(60000);
        while (!QFile::exists(preview) && !deadline.hasExpired() &&
               program.state() == QProcess::Running) {
            program.waitForFinished(5);
        }
        ASSERT_TRUE(QFile::exists(preview)) << program.readAllStandardError().toStdString();

        ::kill(static_cast<pid_t>(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_FALSE(QFile::exists(preview)) << signal;
        QSettings stored(home.File("config/Weskamor/Plenmar.conf"), QSettings::IniFormat);
        for (const auto& [section, count] : {std::pair{"Setting", 16}, {"SettingSub1", 4}}) {
            stored.beginGroup(section);
            EXPECT_EQ(stored.allKeys().size(), count) << section << ", signal " << signal;
            stored.endGroup();
        }
    }
}
