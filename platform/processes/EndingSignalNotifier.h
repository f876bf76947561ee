#pragma once

#include <QObject>

class QSocketNotifier;

// Turns the first signal that would end the program (SIGINT, SIGTERM, SIGHUP) into a Qt
// signal on this object's thread, so that the program can end in good order; a second one
// ends it at once, temporary files removed (see EndingSignals.h).
class EndingSignalNotifier : public QObject {
    Q_OBJECT
public:
    explicit EndingSignalNotifier(QObject* parent = nullptr);
    ~EndingSignalNotifier() override;

signals:
    void EndRequested(int signal);

private:
    int m_read = -1;
    int m_write = -1;
    QSocketNotifier* m_notifier = nullptr;
};
