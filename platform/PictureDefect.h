#pragma once

#include <QString>

// What is wrong with a picture: why it cannot be read, or the damage it was drawn with.
enum class PictureDefect {
    None,
    NotAFile,          // a folder, a pipe, a device
    NotAPicture,       // no format known here
    UnreadKind,        // a known kind this program does not read (a 12-bit JPEG, an icon)
    DamagedHeader,     // a known format whose headers do not read
    TooLarge,          // more to decode than the memory rule allows
    TooManyScans,      // a JPEG of more scans than any encoder writes
    DamagedData,       // data that decodes only in part, or not at all
    CutOff,            // the file ends before its picture does
    ReadError,         // the system failed to read the file
    OutOfMemory,       // the memory ran out on the way
    TooManyOpenFiles,  // the process may open no more files
    ForeignLink,       // a link of another user in a folder everyone may write to
};

// Words for a terminal: "cut off", "damaged header" ...
QString DefectText(PictureDefect defect);
// The same in German, as a sentence for the user.
QString DefectGerman(PictureDefect defect);
// For a picture converted in spite of its damage: what the user should know, in German;
// empty for a defect no picture is converted with.
QString DefectWarningGerman(PictureDefect defect);
