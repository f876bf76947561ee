#include "HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/emulation/Prompts.h"
#include "platform/processes/OpenUrl.h"

QString HelpPagePath(const QString& page) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/vistrane/help/") + page);
}

void OpenHelpPage(const QString& page) {
    const QString path = HelpPagePath(page);
    if (!QFileInfo(path).isFile()) {
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"),
             QStringLiteral("Die Hilfeseite „%1“ wurde nicht gefunden.").arg(path),
             MessageButtons::Ok, MessageIcon::Warning});
        return;
    }
    const auto tell = [path] {
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"),
             QStringLiteral("Die Hilfeseite ließ sich nicht anzeigen: es ist kein Browser "
                            "eingerichtet, der sie öffnet.\nSie liegt unter „%1“.")
                 .arg(path),
             MessageButtons::Ok, MessageIcon::Warning});
    };
    if (!OpenUrl(QUrl::fromLocalFile(path), tell)) {
        tell();
    }
}
