#include "StringTable.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QString LoadString(int id) {
    static const QJsonObject table = [] {
        QFile file(QStringLiteral(":/strings.json"));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }();
    return table.value(QString::number(id)).toString();
}
