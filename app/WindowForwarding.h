#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// One main window per user: a second start hands its command line (a picture, or "/V" and a
// folder, as file managers start the program) to the window that runs, instead of opening a
// second window that would write the same settings file at its end.

// The name the window of `settingsFile` listens under: a socket in the user's private runtime
// folder when there is one, else one of the user's own in the system's.
QString WindowServerName(const QString& settingsFile);

// Hands `arguments` to the window listening under `name`. False when none listens: the
// program then starts as it would alone.
bool ForwardToRunningWindow(const QString& name, const QStringList& arguments,
                            int timeoutMs = 2000);

// Listens for the command lines of later starts and tells of each.
class CommandLineReceiver : public QObject {
    Q_OBJECT
public:
    explicit CommandLineReceiver(QObject* parent = nullptr);
    // False when nobody can be listened for; the window runs on regardless.
    bool Listen(const QString& name);

signals:
    void Received(const QStringList& arguments);

private:
    void OnConnection();

    QLocalServer* m_server;
};
