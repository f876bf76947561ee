#include "SettingsStore.h"

#include <QFile>
#include <QSet>
#include <QSettings>
#include <QStringList>
#include <mutex>

namespace {

// The native format on Linux is an INI file named Plenmar.conf.
std::unique_ptr<QSettings> MakeSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Weskamor"), QStringLiteral("Plenmar"));
}

QSet<QString>& BadFiles() {
    static QSet<QString> files;
    return files;
}

std::mutex& BadFilesLock() {
    static std::mutex lock;
    return lock;
}

QString Key(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

}  // namespace

SettingsStore::SettingsStore() : m_settings(MakeSettings()), m_readable(true) {
    // Qt parses the file at the first question and only then knows whether it was sound. It
    // keeps the parse for later stores of the process, which then hear of no error: so the
    // verdict is kept here as well, until a write replaces the file.
    m_settings->allKeys();
    std::lock_guard lock(BadFilesLock());
    if (m_settings->status() != QSettings::NoError) {
        BadFiles().insert(m_settings->fileName());
    }
    m_readable = !BadFiles().contains(m_settings->fileName());
}

SettingsStore::~SettingsStore() = default;

int SettingsStore::ReadInt(const QString& section, const QString& key, int defaultValue) const {
    if (!m_readable) {
        return defaultValue;
    }
    // Stored as text; anything that is not a 32-bit integer (a list, a word, 2^32) reads as
    // missing.
    bool ok = false;
    const int number = m_settings->value(Key(section, key)).toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

QString SettingsStore::ReadString(const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const QVariant value = m_readable ? m_settings->value(Key(section, key)) : QVariant();
    if (!value.isValid()) {
        return defaultValue;
    }
    // An unquoted text with commas in it reads as a list: it was one text all the same.
    if (value.metaType().id() == QMetaType::QStringList) {
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.toString();
}

void SettingsStore::PrepareWrite() {
    if (!m_readable) {
        // What could be made of a damaged file is not worth keeping: ours replaces it.
        // Emptied rather than removed: Qt keeps what it parsed of a file until it sees the
        // file change.
        QFile file(m_settings->fileName());
        m_settings.reset();
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.close();
        }
        m_settings = MakeSettings();
        m_readable = true;
        std::lock_guard lock(BadFilesLock());
        BadFiles().remove(m_settings->fileName());
    }
}

void SettingsStore::WriteInt(const QString& section, const QString& key, int value) {
    PrepareWrite();
    m_settings->setValue(Key(section, key), value);
}

void SettingsStore::WriteString(const QString& section, const QString& key, const QString& value) {
    PrepareWrite();
    m_settings->setValue(Key(section, key), value);
}

void SettingsStore::Flush() {
    m_settings->sync();
}

QString SettingsStore::FileName() const {
    return m_settings->fileName();
}
