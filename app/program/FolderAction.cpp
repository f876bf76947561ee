#include "FolderAction.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>

#include "platform/emulation/RegistryWriter.h"
#include "workflow/SettingsStore.h"

namespace {

// The first line of every file written: how a later start knows the file for one of its own,
// and how the user learns what to do with it.
const QString kMarker = QStringLiteral(
    "# Written by Vistrane (plenmar). Delete this file to take the entry away: it is not "
    "written again.\n");

// What the settings remember of each file.
const QString kSection = QStringLiteral("FileManagerActions");
constexpr int kWritten = 1;
constexpr int kDeletedByUser = 2;

// One entry of a file manager's context menu.
struct Action {
    const char* stem;    // of the files' names
    const char* id;      // of the service menu's action
    const char* option;  // of the program
    const char* field;   // what a desktop entry's Exec line passes: %f one, %F all
    const char* name;
    const char* comment;
};

const Action kFolderAction = {"plenmar-verzeichnis",
                              "umwandeln",
                              "/V",
                              "%f",
                              "Ganzes Verzeichnis mit Plenmar umwandeln oder versenden",
                              "Wandelt alle Bilder des Verzeichnisses um oder versendet sie per "
                              "Mail"};
const Action kPictureActions[] = {
    {"plenmar-verkleinern", "verkleinern", "--shrink", "%F", "Mit Plenmar verkleinern",
     "Legt eine verkleinerte Kopie neben jedes Bild"},
    {"plenmar-mail", "mail", "--mail", "%F", "Mit Plenmar per Mail versenden",
     "Verkleinert die Bilder und versendet sie in einer Mail"},
};

const QString kFolderType = QStringLiteral("inode/directory;");
const QString kPictureTypes = QStringLiteral(
    "image/jpeg;image/gif;image/bmp;image/heic;image/heif;image/webp;image/tiff;image/png;");
const QString kPictureEndings = QStringLiteral("jpg;jpeg;jpe;gif;bmp;heic;heif;webp;tif;tiff;png;");

QString Name(const Action& action) {
    return QString::fromUtf8(action.name);
}

// A path as the value of a desktop-entry key: its backslashes doubled, a list's separator
// escaped.
QString DesktopValue(const QString& path) {
    QString value = path;
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char(';'), QStringLiteral("\\;"));
    return value;
}

QString ExecLine(const Action& action, const QString& program) {
    return QStringLiteral("%1 %2 %3")
        .arg(DesktopExecArgument(program), QLatin1String(action.option),
             QLatin1String(action.field));
}

QString DolphinServiceMenu(const QString& types, const std::vector<Action>& actions,
                           const QString& program) {
    QStringList ids;
    for (const Action& action : actions) {
        ids << QLatin1String(action.id);
    }
    QString menu = kMarker + QStringLiteral(
                                 "[Desktop Entry]\n"
                                 "Type=Service\n"
                                 "MimeType=%1\n"
                                 "Actions=%2;\n"
                                 "X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n"
                                 "X-KDE-Priority=TopLevel\n"
                                 "TryExec=%3\n")
                                 .arg(types, ids.join(QLatin1Char(';')), DesktopValue(program));
    for (const Action& action : actions) {
        menu += QStringLiteral(
                    "\n"
                    "[Desktop Action %1]\n"
                    "Name=%2\n"
                    "Icon=vistrane\n"
                    "Exec=%3\n")
                    .arg(QLatin1String(action.id), Name(action), ExecLine(action, program));
    }
    return menu;
}

// Nemo passes files with %F; its Dependencies hide the entry once the program is gone.
QString NemoAction(const Action& action, const QString& program, const QString& selection,
                   const QString& extensions) {
    return kMarker + QStringLiteral(
                         "[Nemo Action]\n"
                         "Name=%1\n"
                         "Comment=%2\n"
                         "Icon-Name=vistrane\n"
                         "Exec=%3 %4 %F\n"
                         "Selection=%5\n"
                         "Extensions=%6\n"
                         "Dependencies=%7;\n")
                         .arg(Name(action), QString::fromUtf8(action.comment),
                              DesktopExecArgument(program), QLatin1String(action.option), selection,
                              extensions, DesktopValue(program));
}

// The action files of Caja and PCManFM-Qt.
QString FileManagerAction(const Action& action, const QString& program, const QString& types,
                          const QString& selectionCount) {
    return kMarker + QStringLiteral(
                         "[Desktop Entry]\n"
                         "Type=Action\n"
                         "Name=%1\n"
                         "Tooltip=%2\n"
                         "Icon=vistrane\n"
                         "Profiles=vistrane;\n"
                         "\n"
                         "[X-Action-Profile vistrane]\n"
                         "Name=%1\n"
                         "Exec=%3\n"
                         "MimeTypes=%4\n"
                         "SelectionCount=%5\n"
                         "TryExec=%6\n")
                         .arg(Name(action), QString::fromUtf8(action.comment),
                              ExecLine(action, program), types, selectionCount,
                              DesktopValue(program));
}

// GNOME Files runs its scripts in the folder shown, with the chosen files as arguments (by
// name, or by path in search results); older versions name them only in the environment, one
// per line.
QString GnomeFilesScript(const Action& action, const QString& program, bool folder) {
    QString script = QStringLiteral("#!/bin/sh\n") + kMarker +
                     QStringLiteral(
                         "program=%1\n"
                         "if [ ! -x \"$program\" ]; then\n"
                         "    message='Vistrane ist nicht mehr installiert. Löschen Sie diesen "
                         "Eintrag in ~/.local/share/nautilus/scripts.'\n"
                         "    notify-send Vistrane \"$message\" 2>/dev/null || echo \"$message\" "
                         ">&2\n"
                         "    exit 1\n"
                         "fi\n"
                         "if [ $# -eq 0 ] && [ -n \"$NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\" ]; "
                         "then\n"
                         "    set -f\n"
                         "    IFS='\n"
                         "'\n"
                         "    set -- $NAUTILUS_SCRIPT_SELECTED_FILE_PATHS\n"
                         "    unset IFS\n"
                         "    set +f\n"
                         "fi\n")
                         .arg(ShellWord(program));
    if (folder) {
        // The folder chosen; a file's folder; with nothing chosen, the folder shown.
        script += QStringLiteral(
            "[ $# -gt 0 ] || set -- \"$PWD\"\n"
            "target=$1\n"
            "case $target in /*) ;; *) target=$PWD/$target ;; esac\n"
            "[ -d \"$target\" ] || target=$(dirname -- \"$target\")\n"
            "exec \"$program\" /V \"$target\"\n");
    } else {
        script += QStringLiteral("exec \"$program\" %1 \"$@\"\n").arg(QLatin1String(action.option));
    }
    return script;
}

// A file written by this program, now or by an earlier version (which wrote no marker).
bool IsOurs(const QString& content) {
    if (content.contains(kMarker)) {
        return true;
    }
    std::vector<Action> actions(std::begin(kPictureActions), std::end(kPictureActions));
    actions.push_back(kFolderAction);
    return std::any_of(actions.begin(), actions.end(), [&](const Action& action) {
        return content.contains(QStringLiteral("\nName=") + Name(action) + QLatin1Char('\n')) &&
               content.contains(QStringLiteral(" %1 %").arg(QLatin1String(action.option)));
    });
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.read(1 << 16)) : QString();
}

// The desktop entries earlier versions wrote into the applications folder: with their
// MimeType, each could become the program that opens pictures or folders. The cache that
// installers build of that folder names them too, and xdg-mime takes a default from it
// without looking whether the entry is still there: they leave the cache as well.
void RemoveOpenerEntries(const QString& dataHome) {
    const QString folder = dataHome + QStringLiteral("/applications/");
    QStringList gone;
    for (const char* stem : {"plenmar-verzeichnis", "plenmar-verkleinern", "plenmar-mail"}) {
        const QString name = QLatin1String(stem) + QStringLiteral(".desktop");
        const QString content = ReadText(folder + name);
        if (content.contains(QStringLiteral("\nMimeType=")) && IsOurs(content)) {
            QFile::remove(folder + name);
        }
        if (!QFileInfo::exists(folder + name)) {
            gone << name;
        }
    }
    const QString cache = folder + QStringLiteral("mimeinfo.cache");
    const QString before = ReadText(cache);
    QStringList lines = before.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.startsWith(QLatin1Char('['))) {
            continue;
        }
        QStringList ids = line.mid(equals + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (const QString& name : gone) {
            ids.removeAll(name);
        }
        line = ids.isEmpty()
                   ? QString()
                   : line.left(equals + 1) + ids.join(QLatin1Char(';')) + QLatin1Char(';');
    }
    lines.removeAll(QString());
    const QString after = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    if (!before.isEmpty() && after != before) {
        const CRegistryWriter writer;
        writer.SetStringValue(dataHome, QStringLiteral("applications"),
                              QStringLiteral("mimeinfo.cache"), after);
    }
}

bool HasControlCharacter(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// Writes `file` unless the user deleted it or a file of the user's own has its name.
void Offer(const QString& dataHome, const FolderActionFile& file, SettingsStore& settings) {
    const QString path = dataHome + QLatin1Char('/') + file.keyPath + QLatin1Char('/') + file.name;
    const int state = settings.ReadInt(kSection, file.id, 0);
    const QFileInfo info(path);
    const bool present = info.exists() || info.isSymLink();
    if (state == kDeletedByUser) {
        return;
    }
    if (state == kWritten && !present) {
        settings.WriteInt(kSection, file.id, kDeletedByUser);
        return;
    }
    if (present && !IsOurs(ReadText(path))) {
        return;
    }
    const CRegistryWriter writer;
    if (!writer.SetStringValue(dataHome, file.keyPath, file.name, file.content)) {
        return;
    }
    if (file.executable) {
        QFile written(path);
        written.setPermissions(written.permissions() | QFileDevice::ExeOwner |
                               QFileDevice::ExeUser);
    }
    if (state != kWritten) {
        settings.WriteInt(kSection, file.id, kWritten);
    }
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

QString ShellWord(const QString& word) {
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

std::vector<FolderActionFile> FolderActionFiles(const QString& programPath) {
    const Action& action = kFolderAction;
    const QString desktop = QLatin1String(action.stem) + QStringLiteral(".desktop");
    return {
        {QStringLiteral("dolphin-folder"), QStringLiteral("kio/servicemenus"), desktop,
         DolphinServiceMenu(kFolderType, {action}, programPath), true},
        {QStringLiteral("nemo-folder"), QStringLiteral("nemo/actions"),
         QLatin1String(action.stem) + QStringLiteral(".nemo_action"),
         NemoAction(action, programPath, QStringLiteral("s"), QStringLiteral("dir;")), false},
        {QStringLiteral("gnome-files-folder"), QStringLiteral("nautilus/scripts"), Name(action),
         GnomeFilesScript(action, programPath, true), true},
        {QStringLiteral("file-manager-folder"), QStringLiteral("file-manager/actions"), desktop,
         FileManagerAction(action, programPath, kFolderType, QStringLiteral("=1")), false},
    };
}

std::vector<FolderActionFile> PictureActionFiles(const QString& programPath) {
    std::vector<FolderActionFile> files{
        {QStringLiteral("dolphin-pictures"), QStringLiteral("kio/servicemenus"),
         QStringLiteral("plenmar-bilder.desktop"),
         DolphinServiceMenu(kPictureTypes, {std::begin(kPictureActions), std::end(kPictureActions)},
                            programPath),
         true}};
    for (const Action& action : kPictureActions) {
        const QString id = QLatin1String(action.id);
        files.push_back(
            {QStringLiteral("nemo-") + id, QStringLiteral("nemo/actions"),
             QLatin1String(action.stem) + QStringLiteral(".nemo_action"),
             NemoAction(action, programPath, QStringLiteral("notnone"), kPictureEndings), false});
        files.push_back({QStringLiteral("gnome-files-") + id, QStringLiteral("nautilus/scripts"),
                         Name(action), GnomeFilesScript(action, programPath, false), true});
        files.push_back(
            {QStringLiteral("file-manager-") + id, QStringLiteral("file-manager/actions"),
             QLatin1String(action.stem) + QStringLiteral(".desktop"),
             FileManagerAction(action, programPath, kPictureTypes, QStringLiteral(">0")), false});
    }
    return files;
}

void WriteFolderAction(const QString& dataHome, const QString& programPath,
                       SettingsStore& settings) {
    RemoveOpenerEntries(dataHome);
    if (HasControlCharacter(programPath)) {
        std::fprintf(stderr,
                     "plenmar: the program's path holds a control character; no file manager "
                     "entries are written for it\n");
        return;
    }
    std::vector<FolderActionFile> files = FolderActionFiles(programPath);
    for (FolderActionFile& file : PictureActionFiles(programPath)) {
        files.push_back(std::move(file));
    }
    for (const FolderActionFile& file : files) {
        Offer(dataHome, file, settings);
    }
    settings.Flush();
}
