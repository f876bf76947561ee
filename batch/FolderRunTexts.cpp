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

QString EndReport(const FolderRunReport& report, bool mailFollows, int shown) {
    QStringList lines;
    const auto list = [&](const std::vector<FileProblem>& problems) {
        const qsizetype count = static_cast<qsizetype>(problems.size());
        for (qsizetype i = 0; i < count && i < shown; ++i) {
            const FileProblem& problem = problems[static_cast<std::size_t>(i)];
            lines << QStringLiteral("%1: %2").arg(ConversionTexts::FileName(problem.path),
                                                  problem.reason);
        }
        if (count > shown) {
            lines << QStringLiteral("... und %1 weitere").arg(count - shown);
        }
    };
    const qsizetype converted = report.Converted();
    if (report.failed.empty()) {
        lines << AllConverted();
    } else {
        lines << QStringLiteral("Umgewandelt: %1. Nicht umgewandelt: %2.")
                     .arg(Files(converted), Files(static_cast<qsizetype>(report.failed.size())));
        lines << QString();
        list(report.failed);
    }
    if (!report.warned.empty()) {
        lines << QString() << QStringLiteral("Umgewandelt, aber beschädigt:");
        list(report.warned);
    }
    if (!report.replacing.empty()) {
        lines << QString()
              << QStringLiteral("Umgewandelt unter dem Namen eines anderen Ergebnisses:");
        list(report.replacing);
    }
    if (!report.skipped.empty()) {
        lines << QString() << QStringLiteral("Übersprungen:");
        list(report.skipped);
    }
    if (mailFollows && !report.failed.empty()) {
        lines << QString()
              << (converted > 0 ? QStringLiteral("Die Mail enthält nur die umgewandelten Bilder.")
                                : QStringLiteral("Die Mail enthält keine Bilder."));
    }
    return lines.join(QLatin1Char('\n'));
}

bool HasProblems(const FolderRunReport& report) {
    return !report.failed.empty() || !report.warned.empty() || !report.replacing.empty();
}

QString Busy() {
    return QStringLiteral(
        "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
        "beendet ist.");
}

}  // namespace FolderRunTexts
