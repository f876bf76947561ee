#pragma once

#include <QString>

// What is wrong with a picture: why it cannot be read, or the damage it was drawn with.
enum class PictureDefect {
    None,
    NotAFile,            // a folder, a pipe, a device
    NotAPicture,         // no format known here
    UnreadKind,          // a known kind this program does not read (a 12-bit JPEG, an icon)
    DamagedHeader,       // a known format whose headers do not read
    TooLarge,            // more to decode than the memory rule allows
    TooManyScans,        // a JPEG of more scans than any encoder writes
    DamagedData,         // data that decodes only in part, or not at all
    CutOff,              // the file ends before its picture does
    ReadError,           // the system failed to read the file
    OutOfMemory,         // the memory ran out on the way
    TooManyOpenFiles,    // the process may open no more files
    Missing,             // no file of that name, or a link to none
    NameNotUtf8,         // a name that is not UTF-8 and so did not reach the program intact
    NotPermitted,        // the user may not read the file
    LinkLoop,            // symbolic links that lead round in a circle
    ForeignLink,         // a link of another user in a folder everyone may write to
    Empty,               // a file of no bytes
    CannotOpen,          // the system refused to open it for another reason
    HeifLibraryMissing,  // a HEIF file while libheif cannot be loaded
};

// Why a file could not be opened, from the system's error number of the attempt.
PictureDefect OpeningDefect(int systemError, const QString& path);

// Words for a terminal: "cut off", "damaged header" ...
QString DefectText(PictureDefect defect);
// The same in German, as a sentence for the user.
QString DefectGerman(PictureDefect defect);
// For a picture converted in spite of its damage: what the user should know, in German;
// empty for a defect no picture is converted with.
QString DefectWarningGerman(PictureDefect defect);
