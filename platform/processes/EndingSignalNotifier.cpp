#include "EndingSignalNotifier.h"

#include <fcntl.h>
#include <unistd.h>
#include <QSocketNotifier>

#include "EndingSignals.h"

EndingSignalNotifier::EndingSignalNotifier(QObject* parent) : QObject(parent) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // then the signals end the program at once, as without this
    }
    m_read = ends[0];
    m_write = ends[1];
    m_notifier = new QSocketNotifier(m_read, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        if (::read(m_read, &number, 1) == 1) {
            emit EndRequested(number);
        }
    });
    DeferFirstEndingSignal(m_write);
}

EndingSignalNotifier::~EndingSignalNotifier() {
    DeferFirstEndingSignal(-1);
    delete m_notifier;
    if (m_read >= 0) {
        ::close(m_read);
        ::close(m_write);
    }
}
