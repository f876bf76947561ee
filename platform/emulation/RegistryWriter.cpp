#include "RegistryWriter.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

std::optional<QString> CRegistryWriter::OpenOrCreateKey(const QString& root,
                                                        const QString& keyPath) const {
    QString folder = root;
    for (const QString& part : keyPath.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder += QLatin1Char('/') + part;
    }
    if (!QDir().mkpath(folder)) {
        return std::nullopt;
    }
    return folder;
}

bool CRegistryWriter::SetStringValue(const QString& root, const QString& keyPath,
                                     const std::optional<QString>& valueName,
                                     const QString& value) const {
    if (!valueName || valueName->isEmpty()) {
        return false;
    }
    const std::optional<QString> folder = OpenOrCreateKey(root, keyPath);
    if (!folder) {
        return false;
    }
    const QString path = *folder + QLatin1Char('/') + *valueName;
    const QByteArray bytes = value.toUtf8();
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.size() == bytes.size() &&
        existing.readAll() == bytes) {
        return true;
    }
    existing.close();
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}
