#include "FolderAction.h"

#include <QFile>

#include "platform/RegistryWriter.h"

namespace {

const QString kName = QStringLiteral("Ganzes Verzeichnis mit Plenmar umwandeln oder versenden");
const QString kFileStem = QStringLiteral("plenmar-verzeichnis");

QString DesktopEntry(const QString& exec) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=%1\n"
               "Icon=vistrane\n"
               "Exec=%2\n"
               "MimeType=inode/directory;\n"
               "NoDisplay=true\n"
               "Terminal=false\n")
        .arg(kName, exec);
}

QString DolphinServiceMenu(const QString& exec) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Service\n"
               "MimeType=inode/directory;\n"
               "Actions=umwandeln;\n"
               "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
               "X-KDE-Priority=TopLevel\n"
               "\n"
               "[Desktop Action umwandeln]\n"
               "Name=%1\n"
               "Icon=vistrane\n"
               "Exec=%2\n")
        .arg(kName, exec);
}

QString NemoAction(const QString& program) {
    return QStringLiteral(
               "[Nemo Action]\n"
               "Name=%1\n"
               "Comment=Wandelt alle Bilder des Verzeichnisses um oder versendet sie per Mail\n"
               "Icon-Name=vistrane\n"
               "Exec=%2 /V %F\n"
               "Selection=s\n"
               "Extensions=dir;\n")
        .arg(kName, program);
}

}  // namespace

QString DesktopExecArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    const bool needsQuotes =
        std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes) {
        QString inner;
        for (const QChar c : quoted) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                inner += QLatin1Char('\\');
            }
            inner += c;
        }
        quoted = QLatin1Char('"') + inner + QLatin1Char('"');
    }
    // The value of a desktop-entry key takes its own escapes on top: a backslash is doubled.
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return quoted;
}

std::vector<FolderActionFile> FolderActionFiles(const QString& programPath) {
    const QString exec = DesktopExecArgument(programPath) + QStringLiteral(" /V %f");
    return {
        {QStringLiteral("applications"), kFileStem + QStringLiteral(".desktop"), DesktopEntry(exec),
         false},
        {QStringLiteral("kio/servicemenus"), kFileStem + QStringLiteral(".desktop"),
         DolphinServiceMenu(exec), true},
        {QStringLiteral("nemo/actions"), kFileStem + QStringLiteral(".nemo_action"),
         NemoAction(DesktopExecArgument(programPath)), false},
    };
}

void WriteFolderAction(const QString& dataHome, const QString& programPath) {
    const CRegistryWriter writer;
    for (const FolderActionFile& file : FolderActionFiles(programPath)) {
        if (!writer.SetStringValue(dataHome, file.keyPath, file.name, file.content) ||
            !file.executable) {
            continue;
        }
        QFile written(dataHome + QLatin1Char('/') + file.keyPath + QLatin1Char('/') + file.name);
        written.setPermissions(written.permissions() | QFileDevice::ExeOwner |
                               QFileDevice::ExeUser);
    }
}
