#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "imaging/ConversionParams.h"

class QLocalServer;
class QLocalSocket;

// One main window per user: a second start hands its command line (a picture, or "/V" and a
// folder, as file managers start the program) to the window that runs, instead of opening a
// second window that would write the same settings file at its end; and the actions of file
// managers ask it what its panel shows.
//
// The channel is a socket in a folder only the user may enter, and each end checks that the
// other runs as the same user before anything is handed over.

// What the panel of a running window shows, and what its mails carry.
struct ShownValues {
    ConversionParams params;
    QString mailSubject;
    QString mailText;
};

// The socket the window of `settingsFile` listens on, in the user's private folder; empty
// when there is no such folder (the window then runs alone).
QString WindowServerName(const QString& settingsFile);

// Hands `arguments` to the window listening on `name`, which confirms it took them. False when
// none listens or none confirms: the program then starts as it would alone. Paths are to be
// absolute: the window runs in a folder of its own.
bool ForwardToRunningWindow(const QString& name, const QStringList& arguments,
                            int timeoutMs = 10000);

// What the panel of the window listening on `name` shows; nothing when no window runs.
std::optional<ShownValues> AskRunningWindow(const QString& name, int timeoutMs = 5000);

// The command line made fit to hand over: the picture, or the folder after "/V", as an absolute
// path (relative ones are the sending start's, not the window's).
QStringList AbsoluteCommandLine(const QStringList& arguments);

// Listens for the command lines of later starts and tells of each; answers the actions' asks
// for the panel's values.
class CommandLineReceiver : public QObject {
    Q_OBJECT
public:
    explicit CommandLineReceiver(QObject* parent = nullptr);
    // False when nobody can be listened for; the window runs on regardless. A socket left by
    // a window that ended without removing it is replaced; one that answers never is.
    bool Listen(const QString& name);
    // Where the values asked for come from; without it, asks go unanswered.
    void SetShownValues(std::function<ShownValues()> values) { m_values = std::move(values); }
    // How long a connection may stay without a complete request.
    void SetIdleLimit(int milliseconds) { m_idleMs = milliseconds; }

signals:
    void Received(const QStringList& arguments);

private:
    void OnConnection();
    void Serve(QLocalSocket* socket);

    QLocalServer* m_server;
    std::function<ShownValues()> m_values;
    int m_idleMs = 5000;
};
