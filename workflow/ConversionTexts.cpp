#include "ConversionTexts.h"

#include <cerrno>
#include <cstring>

#include "imaging/codecs/PictureDefect.h"

namespace ConversionTexts {

QString SampleName() {
    return QStringLiteral("Beispielbild");
}

QString FileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString BaseName(const QString& path) {
    QString name = FileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    return name;
}

QString FolderTargetName(const QString& outputFolder, const QString& picturePath, int width,
                         int height) {
    const QString name = BaseName(picturePath);
    // Joined piece by piece: a '%' in a file name must stay a '%'.
    return outputFolder + QLatin1Char('/') + name + QLatin1Char(' ') + QString::number(width) +
           QLatin1Char('x') + QString::number(height) + QStringLiteral(".jpg");
}

int Kb(long long bytes) {
    return bytes > 0 ? static_cast<int>(bytes / 1000) : 0;
}

QString Title(const QString& fileName, int previewKb) {
    return fileName + QStringLiteral(" (") + QString::number(previewKb) + QStringLiteral(" Kb)");
}

QString SourceSizeLine(long long sourceBytes) {
    return QStringLiteral("Original Dateigrösse: %1 Kb").arg(Kb(sourceBytes));
}

QString PrintSize(int width, int height, int resolution) {
    if (resolution == 0) {
        return QStringLiteral("Automatisch");
    }
    // QString::number formats without the locale: always a decimal point.
    return QStringLiteral("%1 x %2 cm")
        .arg(QString::number(width * 2.54 / resolution, 'f', 1),
             QString::number(height * 2.54 / resolution, 'f', 1));
}

QString InfoText(const QString& sourceSizeLine, int previewKb, const QString& printSize) {
    return QStringLiteral("%1\r\nAngepasste Dateigrösse: %2 Kb\r\nBildformat: %3")
        .arg(sourceSizeLine, QString::number(previewKb), printSize);
}

QString LimitLine(int quality, int maxKb, bool overLimit) {
    if (overLimit) {
        return QStringLiteral("Über %1 Kb auch mit Qualität 0").arg(maxKb);
    }
    return QStringLiteral("Qualität %1 für höchstens %2 Kb").arg(quality).arg(maxKb);
}

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

QString CannotReadBack() {
    return QStringLiteral("Das umgewandelte Bild lässt sich nicht wieder lesen.");
}

QString CannotEncode() {
    return QStringLiteral("Das Bild lässt sich nicht als JPEG speichern.");
}

QString TaskFailed(const QString& reason) {
    return QStringLiteral("Der Vorgang ist gescheitert: %1").arg(reason);
}

QString NotEnoughMemory() {
    return QStringLiteral("Es ist nicht genug Arbeitsspeicher frei.");
}

QString Unexpected(const QString& what) {
    return QStringLiteral("Unerwarteter Fehler: %1").arg(what);
}

}  // namespace ConversionTexts
