#include "FolderRunTexts.h"

#include <QStringList>

#include "FolderRun.h"
#include "workflow/ConversionTexts.h"

namespace {

QString Files(qsizetype count) {
    return count == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(count);
}

}  // namespace

namespace FolderRunTexts {

QString AllConverted() {
    return QStringLiteral("Alle Dateine sind umgewandelt");
}

QString FailureSummary(const FolderRunReport& report, bool mailFollows, int shown) {
    const qsizetype failed = static_cast<qsizetype>(report.failed.size());
    const qsizetype converted = report.Converted();
    QStringList lines;
    lines << QStringLiteral("Umgewandelt: %1. Nicht umgewandelt: %2.")
                 .arg(Files(converted), Files(failed));
    lines << QString();
    for (qsizetype i = 0; i < failed && i < shown; ++i) {
        const SkippedEntry& entry = report.failed[static_cast<std::size_t>(i)];
        lines << QStringLiteral("%1: %2").arg(ConversionTexts::FileName(entry.path), entry.reason);
    }
    if (failed > shown) {
        lines << QStringLiteral("... und %1 weitere").arg(failed - shown);
    }
    if (mailFollows) {
        lines << QString()
              << (converted > 0 ? QStringLiteral("Die Mail enthält nur die umgewandelten Bilder.")
                                : QStringLiteral("Die Mail enthält keine Bilder."));
    }
    return lines.join(QLatin1Char('\n'));
}

QString Busy() {
    return QStringLiteral(
        "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
        "beendet ist.");
}

}  // namespace FolderRunTexts
