#include "PictureDefect.h"

#include <algorithm>
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
    {PictureDefect::ForeignLink,
     "a symbolic link of another user in a folder everyone may write to; not followed",
     "Die Datei ist eine Verknüpfung, die ein anderer Benutzer in einen Ordner gelegt hat, in "
     "den alle schreiben dürfen; ihr folgt das Programm nicht.",
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
