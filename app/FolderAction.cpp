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

// The actions on chosen pictures: what the program is started with, and what they are called.
struct PictureAction {
    const char* stem;    // of the files' names
    const char* id;      // of the service menu's action
    const char* option;  // of the program
    const char* name;
    const char* comment;
};

const PictureAction kPictureActions[] = {
    {"plenmar-verkleinern", "verkleinern", "--shrink", "Mit Plenmar verkleinern",
     "Legt eine verkleinerte Kopie neben jedes Bild"},
    {"plenmar-mail", "mail", "--mail", "Mit Plenmar per Mail versenden",
     "Verkleinert die Bilder und versendet sie in einer Mail"},
};

const QString kPictureTypes = QStringLiteral(
    "image/jpeg;image/gif;image/bmp;image/heic;image/heif;image/webp;image/tiff;image/png;");
const QString kPictureEndings = QStringLiteral("jpg;jpeg;jpe;gif;bmp;heic;heif;webp;tif;tiff;png;");

QString PictureDesktopEntry(const PictureAction& action, const QString& program) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=%1\n"
               "Icon=vistrane\n"
               "Exec=%2 %3 %F\n"
               "MimeType=%4\n"
               "NoDisplay=true\n"
               "Terminal=false\n")
        .arg(QString::fromUtf8(action.name), program, QLatin1String(action.option), kPictureTypes);
}

QString PictureServiceMenu(const QString& program) {
    QString menu = QStringLiteral(
                       "[Desktop Entry]\n"
                       "Type=Service\n"
                       "MimeType=%1\n"
                       "Actions=verkleinern;mail;\n"
                       "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                       "X-KDE-Priority=TopLevel\n")
                       .arg(kPictureTypes);
    for (const PictureAction& action : kPictureActions) {
        menu += QStringLiteral(
                    "\n"
                    "[Desktop Action %1]\n"
                    "Name=%2\n"
                    "Icon=vistrane\n"
                    "Exec=%3 %4 %F\n")
                    .arg(QLatin1String(action.id), QString::fromUtf8(action.name), program,
                         QLatin1String(action.option));
    }
    return menu;
}

QString PictureNemoAction(const PictureAction& action, const QString& program) {
    return QStringLiteral(
               "[Nemo Action]\n"
               "Name=%1\n"
               "Comment=%2\n"
               "Icon-Name=vistrane\n"
               "Exec=%3 %4 %F\n"
               "Selection=notnone\n"
               "Extensions=%5\n")
        .arg(QString::fromUtf8(action.name), QString::fromUtf8(action.comment), program,
             QLatin1String(action.option), kPictureEndings);
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

std::vector<FolderActionFile> PictureActionFiles(const QString& programPath) {
    const QString program = DesktopExecArgument(programPath);
    std::vector<FolderActionFile> files;
    for (const PictureAction& action : kPictureActions) {
        files.push_back({QStringLiteral("applications"),
                         QLatin1String(action.stem) + QStringLiteral(".desktop"),
                         PictureDesktopEntry(action, program), false});
    }
    files.push_back({QStringLiteral("kio/servicemenus"), QStringLiteral("plenmar-bilder.desktop"),
                     PictureServiceMenu(program), true});
    for (const PictureAction& action : kPictureActions) {
        files.push_back({QStringLiteral("nemo/actions"),
                         QLatin1String(action.stem) + QStringLiteral(".nemo_action"),
                         PictureNemoAction(action, program), false});
    }
    return files;
}

void WriteFolderAction(const QString& dataHome, const QString& programPath) {
    const CRegistryWriter writer;
    std::vector<FolderActionFile> files = FolderActionFiles(programPath);
    for (FolderActionFile& file : PictureActionFiles(programPath)) {
        files.push_back(std::move(file));
    }
    for (const FolderActionFile& file : files) {
        if (!writer.SetStringValue(dataHome, file.keyPath, file.name, file.content) ||
            !file.executable) {
            continue;
        }
        QFile written(dataHome + QLatin1Char('/') + file.keyPath + QLatin1Char('/') + file.name);
        written.setPermissions(written.permissions() | QFileDevice::ExeOwner |
                               QFileDevice::ExeUser);
    }
}
