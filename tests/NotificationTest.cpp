#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "support/TestFiles.h"

namespace {

// A session bus of the test's own with the notification stand-in on it, gone afterwards.
class SessionBus {
public:
    SessionBus() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty()) {
            return;
        }
        m_daemon.start(daemon, {"--session", "--nofork", "--print-address=1"});
        if (!m_daemon.waitForReadyRead(10000)) {
            return;
        }
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", m_address);
        m_service.setProcessEnvironment(environment);
        m_service.start(NOTIFICATION_STAND_IN, {Record()});
        if (!QTest::qWaitFor([&] { return QFileInfo::exists(Record() + ".ready"); }, 10000)) {
            m_address.clear();
        }
    }
    ~SessionBus() {
        for (QProcess* process : {&m_service, &m_daemon}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    // Empty when no bus could be had.
    const QString& Address() const { return m_address; }
    QString Record() const { return m_folder.File("notices"); }

private:
    TestFolder m_folder;
    QProcess m_daemon;
    QProcess m_service;
    QString m_address;
};

}  // namespace

// The real program, started as a file manager starts it: its notice reaches the desktop's
// notification service.
TEST(Notification, TheEndOfAnActionIsToldToTheDesktop) {
    SessionBus bus;
    if (bus.Address().isEmpty()) {
        GTEST_SKIP() << "no dbus-daemon to run a session bus of the test's own";
    }
    TestFolder home;
    const QString photo = home.File("Strand.jpg");
    WriteAll(photo, Encode(QuarterPattern(1600, 1200), "jpeg"));
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.Address());
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* variable :
         {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        environment.insert(variable, home.File(variable));
    }
    QDir(home.Path()).mkdir("XDG_RUNTIME_DIR");
    program.setProcessEnvironment(environment);
    program.start(PLENMAR_PROGRAM, {"--shrink", photo});
    ASSERT_TRUE(program.waitForFinished(30000)) << "a notice never waits for anyone";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QFileInfo::exists(home.File("Strand 368x276.jpg")));
    EXPECT_EQ(QString::fromUtf8(ReadAll(bus.Record())),
              "Vistrane|Bilder verkleinert|1 Bild auf 368 Pixel verkleinert, Qualität 70, neben "
              "den Originalen gespeichert.|vistrane\n");
}
