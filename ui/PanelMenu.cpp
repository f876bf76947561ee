#include "PanelMenu.h"

#include <QMenuBar>

namespace {

constexpr int kMenu = 129;

}  // namespace

QMenuBar* MakePanelMenu(QWidget& panel, const PanelMenuCommands& commands) {
    auto* menu = new QMenuBar(&panel);
    menu->setObjectName(QStringLiteral("menu%1").arg(kMenu));
    QMenu* file = menu->addMenu(QStringLiteral("&Datei"));
    // The menu shows the keys; the main window's shortcuts answer them, from this window as
    // well as from its own. Two shortcuts for one key would cancel each other out.
    for (QAction* action :
         {file->addAction(QStringLiteral("Ö&ffnen"), QKeySequence::Open, &panel, commands.open),
          file->addAction(QStringLiteral("&Speichern unter"), QKeySequence::Save, &panel,
                          commands.saveAs)}) {
        action->setShortcutContext(Qt::WidgetShortcut);
    }
    file->addSeparator();
    file->addAction(QStringLiteral("&Versenden per Mail"), &panel, commands.sendByMail);
    file->addSeparator();
    file->addAction(QStringLiteral("&Ganzes Verzeichnis umwandeln"), &panel,
                    commands.convertFolder);
    file->addSeparator();
    file->addAction(QStringLiteral("&Beenden"), &panel, commands.quit);
    QMenu* options = menu->addMenu(QStringLiteral("&Optionen"));
    options->addAction(QStringLiteral("&Maileinstellung"), &panel, commands.mailSetup);
    QMenu* help = menu->addMenu(QStringLiteral("&?"));
    help->addAction(QStringLiteral("Inf&o über Plenmar..."), &panel, commands.about);
    return menu;
}
