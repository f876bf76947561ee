#include "HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "platform/OpenUrl.h"
#include "platform/Prompts.h"

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
    OpenUrl(QUrl::fromLocalFile(path));
}
