// A notification service for the tests: owns org.freedesktop.Notifications on the session bus
// it is started on and appends each notice it is given to the file its argument names, as
// "application|summary|body|desktop-entry" lines. Writes "ready" into FILE.ready once it
// listens.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QVariantMap>

class NotificationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit NotificationService(QString record) : m_record(std::move(record)) {}

public slots:
    uint Notify(const QString& application, uint, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int) {
        QFile file(m_record);
        if (file.open(QIODevice::Append)) {
            file.write((QStringList{application, summary, body,
                                    hints.value(QStringLiteral("desktop-entry")).toString()}
                            .join(QLatin1Char('|')) +
                        QLatin1Char('\n'))
                           .toUtf8());
        }
        return ++m_last;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }

private:
    QString m_record;
    uint m_last = 0;
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        return 2;
    }
    const QString record = QString::fromLocal8Bit(argv[1]);
    NotificationService service(record);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerService(QStringLiteral("org.freedesktop.Notifications")) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots)) {
        return 1;
    }
    QFile ready(record + QStringLiteral(".ready"));
    if (!ready.open(QIODevice::WriteOnly) || ready.write("ready") != 5) {
        return 1;
    }
    ready.close();
    return app.exec();
}

#include "NotificationStandIn.moc"
