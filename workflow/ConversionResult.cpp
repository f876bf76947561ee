#include "ConversionResult.h"

#include <cerrno>
#include <cstring>

namespace {

QString WriteReason(int systemError) {
    switch (systemError) {
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("Der Ordner existiert nicht.");
        case EACCES:
        case EPERM:
            return QStringLiteral("Sie dürfen in diesen Ordner nicht schreiben.");
        case EROFS:
            return QStringLiteral("Der Datenträger ist schreibgeschützt.");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
        case EFBIG:
            return QStringLiteral("Die Datei wäre größer als erlaubt.");
        case ENAMETOOLONG:
            return QStringLiteral("Der Dateiname ist zu lang.");
        case EISDIR:
            return QStringLiteral("Unter diesem Namen gibt es schon einen Ordner.");
        case EIO:
            return QStringLiteral("Der Datenträger meldet einen Schreibfehler.");
        case 0:
            return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
        default:
            return QStringLiteral("Die Datei konnte nicht geschrieben werden (%1).")
                .arg(QString::fromLocal8Bit(std::strerror(systemError)));
    }
}

QString UnreadableReason(PictureDefect defect) {
    switch (defect) {
        case PictureDefect::NotAFile:
            return QStringLiteral(
                "Das ist keine gewöhnliche Datei, sondern ein Ordner, ein Gerät "
                "oder eine Pipe.");
        case PictureDefect::NotAPicture:
            return QStringLiteral("Die Datei ist kein JPEG-, GIF- oder BMP-Bild.");
        case PictureDefect::DamagedHeader:
            return QStringLiteral("Das Bild hat einen beschädigten Kopf.");
        case PictureDefect::TooLarge:
            return QStringLiteral("Das Bild ist zu groß: es bräuchte mehr als %1 MiB Speicher.")
                .arg(PictureObject::kDecodeLimitMiB);
        case PictureDefect::DamagedData:
            return QStringLiteral("Das Bild enthält beschädigte Daten.");
        case PictureDefect::CutOff:
            return QStringLiteral("Das Bild ist abgeschnitten.");
        case PictureDefect::None:
            break;
    }
    return QStringLiteral("Die Datei ist kein lesbares Bild.");
}

}  // namespace

QString WarningReason(const ConversionResult& result) {
    if (result.warning.isEmpty()) {
        return {};
    }
    switch (result.defect) {
        case PictureDefect::CutOff:
            return QStringLiteral(
                "Das Bild ist abgeschnitten; umgewandelt wurde, was davon da ist.");
        case PictureDefect::DamagedData:
            return QStringLiteral(
                "Das Bild enthält beschädigte Daten; umgewandelt wurde, was sich lesen ließ.");
        default:
            return {};
    }
}

QString FailureReason(const ConversionResult& result) {
    switch (result.failure) {
        case ConversionFailure::None:
            break;
        case ConversionFailure::Unreadable:
            return UnreadableReason(result.defect);
        case ConversionFailure::OutOfMemory:
            return QStringLiteral("Das Bild ist zu groß für den freien Arbeitsspeicher.");
        case ConversionFailure::CannotWrite:
            return WriteReason(result.systemError);
        case ConversionFailure::CannotReadBack:
            return QStringLiteral("Das umgewandelte Bild lässt sich nicht wieder lesen.");
    }
    return {};
}
