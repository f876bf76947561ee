#pragma once

#include <QString>
#include <optional>

// Writes one value into the user's configuration tree, the way the program once wrote its
// registry entries: keys are folders below a root folder, a value is a file in its key's
// folder. Missing folders are created on the way. A file is replaced in one step and only
// when its content changes, so a start that finds everything in place writes nothing.
// Failures are silent: the caller learns of them from the result and goes on.
class CRegistryWriter {
public:
    // The folder `keyPath` below `root` ("/"-separated; empty parts are skipped), made
    // where missing; nothing when that fails.
    std::optional<QString> OpenOrCreateKey(const QString& root, const QString& keyPath) const;
    // Writes `value` as the file `valueName` in that folder. A missing value name is refused
    // without touching anything.
    bool SetStringValue(const QString& root, const QString& keyPath,
                        const std::optional<QString>& valueName, const QString& value) const;
};
