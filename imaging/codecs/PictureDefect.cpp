#include "PictureDefect.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "PictureObject.h"

namespace {

struct DefectWords {
    PictureDefect defect;
    const char* english;
    const char* german;
    const char* germanWarning;  // when a picture is converted in spite of it
};

// %1 stands for the memory rule's limit in MiB.
constexpr DefectWords kWords[] = {
    {PictureDefect::NotAFile, "not a regular file",
     "Das ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät oder eine Pipe.", nullptr},
    {PictureDefect::NotAPicture, "not a picture (JPEG, GIF, BMP, PNG, TIFF, WebP or HEIC)",
     "Die Datei ist kein Bild (JPEG, GIF, BMP, PNG, TIFF, WebP oder HEIC).", nullptr},
    {PictureDefect::UnreadKind, "a kind of picture this program does not read",
     "Diese Art Bild kann das Programm nicht lesen.", nullptr},
    {PictureDefect::DamagedHeader, "damaged header", "Das Bild hat einen beschädigten Kopf.",
     nullptr},
    {PictureDefect::TooLarge, "the picture needs more than %1 MiB to decode",
     "Das Bild ist zu groß: es bräuchte mehr als %1 MiB Speicher.", nullptr},
    {PictureDefect::TooManyScans, "too many scans",
     "Das Bild besteht aus mehr Durchgängen, als ein Programm je schreibt.", nullptr},
    {PictureDefect::DamagedData, "damaged data", "Das Bild enthält beschädigte Daten.",
     "Das Bild enthält beschädigte Daten; umgewandelt wurde, was sich lesen ließ."},
    {PictureDefect::CutOff, "cut off", "Das Bild ist abgeschnitten.",
     "Das Bild ist abgeschnitten; umgewandelt wurde, was davon da ist."},
    {PictureDefect::ReadError, "read error", "Lesefehler: der Datenträger meldet einen Fehler.",
     nullptr},
    {PictureDefect::OutOfMemory, "not enough memory",
     "Das Bild ist zu groß für den freien Arbeitsspeicher.", nullptr},
    {PictureDefect::TooManyOpenFiles, "too many open files",
     "Das Programm hat zu viele Dateien zugleich geöffnet.", nullptr},
    {PictureDefect::Missing, "no such file", "Die Datei existiert nicht.", nullptr},
    {PictureDefect::NameNotUtf8, "the name is not valid UTF-8; rename the file to convert it",
     "Der Dateiname ist kein gültiges UTF-8; benennen Sie die Datei um, damit sie umgewandelt "
     "wird.",
     nullptr},
    {PictureDefect::NotPermitted, "permission denied", "Sie dürfen die Datei nicht lesen.",
     nullptr},
    {PictureDefect::LinkLoop, "symbolic links in a loop",
     "Die Datei ist eine Verknüpfung, die im Kreis führt.", nullptr},
    {PictureDefect::ForeignLink,
     "a symbolic link of another user in a folder everyone may write to; not followed",
     "Die Datei ist eine Verknüpfung, die ein anderer Benutzer in einen Ordner gelegt hat, in "
     "den alle schreiben dürfen; ihr folgt das Programm nicht.",
     nullptr},
    {PictureDefect::Empty, "the file is empty", "Die Datei ist leer.", nullptr},
    {PictureDefect::CannotOpen, "cannot be opened", "Die Datei lässt sich nicht öffnen.", nullptr},
    {PictureDefect::HeifLibraryMissing, "the HEIF library is missing (package libheif1)",
     "Die HEIF-Bibliothek fehlt (Paket libheif1); ohne sie lassen sich HEIC- und HEIF-Bilder "
     "nicht lesen.",
     nullptr},
};

const DefectWords* Find(PictureDefect defect) {
    const auto found = std::find_if(std::begin(kWords), std::end(kWords),
                                    [defect](const DefectWords& w) { return w.defect == defect; });
    return found == std::end(kWords) ? nullptr : found;
}

QString Filled(const char* text) {
    QString words = QString::fromUtf8(text);
    return words.contains(QLatin1String("%1")) ? words.arg(PictureObject::kDecodeLimitMiB) : words;
}

}  // namespace

PictureDefect OpeningDefect(int systemError, const QString& path) {
    switch (systemError) {
        case ENOENT:
        case ENOTDIR:
            // Bytes that are not UTF-8 reach Qt's texts as replacement characters, and the
            // name made of those is none the folder holds.
            return path.contains(QChar::ReplacementCharacter) ? PictureDefect::NameNotUtf8
                                                              : PictureDefect::Missing;
        case EACCES:
        case EPERM:
            return PictureDefect::NotPermitted;
        case ELOOP:
            return PictureDefect::LinkLoop;
        case EIO:
            return PictureDefect::ReadError;
        case EMFILE:
        case ENFILE:
            return PictureDefect::TooManyOpenFiles;
        case ENOMEM:
            return PictureDefect::OutOfMemory;
        default:
            return PictureDefect::CannotOpen;
    }
}

QString DefectText(PictureDefect defect) {
    const DefectWords* words = Find(defect);
    return words == nullptr ? QString() : Filled(words->english);
}

QString DefectGerman(PictureDefect defect) {
    const DefectWords* words = Find(defect);
    return words == nullptr ? QStringLiteral("Die Datei ist kein lesbares Bild.")
                            : Filled(words->german);
}

QString DefectWarningGerman(PictureDefect defect) {
    const DefectWords* words = Find(defect);
    return words == nullptr || words->germanWarning == nullptr
               ? QString()
               : QString::fromUtf8(words->germanWarning);
}
