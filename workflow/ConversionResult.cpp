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
        case ENXIO:
            return QStringLiteral("Aus dieser Pipe liest kein Programm.");
        case EMFILE:
        case ENFILE:
            return DefectGerman(PictureDefect::TooManyOpenFiles);
        case 0:
            return QStringLiteral("Die Datei konnte nicht geschrieben werden.");
        default:
            return QStringLiteral("Die Datei konnte nicht geschrieben werden (%1).")
                .arg(QString::fromLocal8Bit(std::strerror(systemError)));
    }
}

}  // namespace

QString WarningReason(const ConversionResult& result) {
    return result.warning.isEmpty() ? QString() : DefectWarningGerman(result.defect);
}

QString FailureReason(const ConversionResult& result) {
    switch (result.failure) {
        case ConversionFailure::None:
            break;
        case ConversionFailure::Unreadable:
            return DefectGerman(result.defect);
        case ConversionFailure::OutOfMemory:
            return DefectGerman(result.defect == PictureDefect::TooManyOpenFiles
                                    ? result.defect
                                    : PictureDefect::OutOfMemory);
        case ConversionFailure::CannotWrite:
            return result.foreign.IsSet() ? ForeignEntryGerman(result.foreign)
                                          : WriteReason(result.systemError);
        case ConversionFailure::CannotReadBack:
            return QStringLiteral("Das umgewandelte Bild lässt sich nicht wieder lesen.");
    }
    return {};
}
