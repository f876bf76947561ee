#pragma once

#include <QString>
#include <QStringList>

#include "imaging/ConversionParams.h"

// What the command line of plenmar-convert asks for.
struct ConvertOptions {
    ConversionParams params;
    bool folderMode = false;
    // Pictures named one by one into the folder `destination` (-o, --files-from).
    bool listMode = false;
    QString source;       // a picture, or the folder to convert
    QString destination;  // the file to write, or the folder to write into
    QStringList files;    // list mode: the pictures named on the command line
    QString listFile;     // list mode: the file with more of them, "-" for standard input
    char listSeparator = '\n';
    bool keepNames = false;  // results named "NAME.jpg" rather than "NAME 368x276.jpg"
    QString treeBase;        // list mode: results in the folders the pictures have below it
    int part = 1;            // list mode: only this part of the pictures ...
    int parts = 1;           // ... of so many
    QStringList patterns;    // what a folder run takes: "*.jpg" and so on
    bool recursive = false;
    int jobs = 1;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. An empty result means they were understood.
QString ParseConvertOptions(const QStringList& arguments, ConvertOptions& options);

QString ConvertUsage();

// The first argument (as it can be shown) whose bytes would not survive Qt's decoding of
// names: a file named so could not be opened, nor a result written under that name. Empty
// when every argument is fine.
QString UndecodableArgument(const QList<QByteArray>& arguments);
const char* ConvertVersion();
