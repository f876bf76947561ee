#pragma once

#include <QString>
#include <vector>

class SettingsStore;

// The actions the program offers in file managers: "Ganzes Verzeichnis mit Plenmar umwandeln
// oder versenden" on a folder starts it with "/V" and the folder; "Mit Plenmar verkleinern"
// and "Mit Plenmar per Mail versenden" on chosen pictures start it with --shrink or --mail and
// the files. Each file manager gets them through its own way of adding entries to its
// context menu: Dolphin's service menus, Nemo's actions, the scripts of GNOME Files, and the
// action files that Caja and PCManFM-Qt read. None of these can make the program the one that
// opens pictures or folders, as a desktop entry with a MimeType in the user's applications
// folder would; such entries written by earlier versions are removed.
struct FolderActionFile {
    QString id;       // under which the settings remember it
    QString keyPath;  // below the user's data folder
    QString name;
    QString content;
    bool executable = false;  // Dolphin's service menus and the scripts of GNOME Files
};

// The files of the folder action, and those of the actions on pictures, for the program at
// `programPath`.
std::vector<FolderActionFile> FolderActionFiles(const QString& programPath);
std::vector<FolderActionFile> PictureActionFiles(const QString& programPath);

// Writes the files of both below `dataHome` (the user's $XDG_DATA_HOME), each only where it
// changed, and removes the opener entries of earlier versions. A file the user deleted is not
// written again: `settings` remembers which were written. A program path holding a control
// character (a line break would add lines of its own) writes nothing. Failures are silent.
void WriteFolderAction(const QString& dataHome, const QString& programPath,
                       SettingsStore& settings);

// An argument of a desktop entry's Exec line: quoted where the desktop-entry rules ask for
// it, and with the escapes of a string value.
QString DesktopExecArgument(const QString& argument);
// A word of a shell script: in single quotes, each quote of its own written as '\''.
QString ShellWord(const QString& word);
