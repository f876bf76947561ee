#include "DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QStringList>
#include <QVariantMap>

namespace {

// A service that takes longer is hung; the notice then goes another way.
constexpr int kAnswerMs = 3000;

}  // namespace

bool NotifyDesktop(const QString& summary, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusInterface service(QStringLiteral("org.freedesktop.Notifications"),
                           QStringLiteral("/org/freedesktop/Notifications"),
                           QStringLiteral("org.freedesktop.Notifications"), bus);
    if (!service.isValid()) {
        return false;
    }
    service.setTimeout(kAnswerMs);
    // The desktop file names the program, so the notice carries its icon and name.
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("vistrane")}};
    const QDBusReply<uint> reply =
        service.call(QStringLiteral("Notify"), QStringLiteral("Vistrane"), uint{0},
                     QStringLiteral("vistrane"), summary, body, QStringList(), hints, -1);
    return reply.isValid();
}
