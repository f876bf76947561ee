#include "TempFolder.h"

#include <QtGlobal>

QString TempFolder() {
    for (const char* name : {"TEMP", "TMPDIR"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) {
            return value;
        }
    }
    return QStringLiteral("/tmp");
}
