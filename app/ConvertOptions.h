#pragma once

#include <QString>
#include <QStringList>

#include "imaging/ConversionParams.h"

// What the command line of plenmar-convert asks for.
struct ConvertOptions {
    ConversionParams params;
    bool folderMode = false;
    QString source;       // a picture, or the folder to convert
    QString destination;  // the file to write, or the folder to write into
    int jobs = 1;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. An empty result means they were understood.
QString ParseConvertOptions(const QStringList& arguments, ConvertOptions& options);

QString ConvertUsage();
const char* ConvertVersion();
