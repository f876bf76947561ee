#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings: sections of named 32-bit integers and texts, kept in
// ~/.config/Weskamor/Plenmar.conf (or below $XDG_CONFIG_HOME). Reading never changes the
// file; a damaged or unreadable file gives the defaults and is replaced only when values are
// written. Failed writes are not reported.
class SettingsStore {
public:
    SettingsStore();
    ~SettingsStore();

    // The stored integer, or `defaultValue` when it is missing or no 32-bit integer.
    int ReadInt(const QString& section, const QString& key, int defaultValue) const;
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    void WriteInt(const QString& section, const QString& key, int value);
    void WriteString(const QString& section, const QString& key, const QString& value);
    // Writes what was changed to the file now (the destructor does it otherwise).
    void Flush();

    QString FileName() const;

private:
    void PrepareWrite();

    std::unique_ptr<QSettings> m_settings;
    bool m_readable;  // false for a damaged or unreadable file: everything reads as missing
};
