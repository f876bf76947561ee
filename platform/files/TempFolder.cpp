#include "TempFolder.h"

#include <QtGlobal>

#include "PrivateFolder.h"

namespace {

QString ChosenTempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

}  // namespace

QString TempFolder() {
    const QString chosen = ChosenTempFolder();
    return chosen.isEmpty() ? QStringLiteral("/tmp") : chosen;
}

QString PrivateTempFolder() {
    const QString chosen = ChosenTempFolder();
    return chosen.isEmpty() ? PrivateFolder() : chosen;
}
