#pragma once

#include <QString>
#include <vector>

// The action that file managers offer on folders: "Ganzes Verzeichnis mit Plenmar umwandeln
// oder versenden" starts the program with "/V" and the folder. It is written for the user
// at every start, as a desktop entry for folders (the "Open with" list of GNOME and others),
// a Dolphin service menu (KDE) and a Nemo action (Cinnamon). It never becomes the default
// handler for folders.
struct FolderActionFile {
    QString keyPath;  // below the user's data folder
    QString name;
    QString content;
    bool executable = false;  // Dolphin runs service menus of the user's only when they are
};

std::vector<FolderActionFile> FolderActionFiles(const QString& programPath);

// The same for chosen pictures: "Mit Plenmar verkleinern" starts the program with --shrink
// and the files, "Mit Plenmar per Mail versenden" with --mail: two desktop entries for the
// picture types the program reads, one Dolphin service menu with both actions and two Nemo
// actions for the pictures' endings. Never the default handler of any type either.
std::vector<FolderActionFile> PictureActionFiles(const QString& programPath);

// Writes the files of both below `dataHome` (the user's $XDG_DATA_HOME). Failures are silent.
void WriteFolderAction(const QString& dataHome, const QString& programPath);

// An argument of a desktop entry's Exec line: quoted where the desktop-entry rules ask for
// it, and with the escapes of a string value.
QString DesktopExecArgument(const QString& argument);
