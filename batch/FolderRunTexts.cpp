#include "FolderRunTexts.h"

#include <QStringList>
#include <algorithm>

#include "FolderRun.h"
#include "imaging/ConversionParams.h"
#include "imaging/codecs/PictureDefect.h"
#include "workflow/ConversionTexts.h"

namespace {

QString Files(qsizetype count) {
    return count == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(count);
}

QString Pictures(qsizetype count) {
    return count == 1 ? QStringLiteral("1 Bild") : QStringLiteral("%1 Bilder").arg(count);
}

// "a.jpg, b.jpg und 3 weitere"
QString NameList(const QStringList& paths, int shown) {
    QStringList names;
    for (qsizetype i = 0; i < paths.size() && i < shown; ++i) {
        names << ConversionTexts::FileName(paths[i]);
    }
    QString list = names.join(QStringLiteral(", "));
    if (paths.size() > shown) {
        list += QStringLiteral(" und %1 weitere").arg(paths.size() - shown);
    }
    return list;
}

}  // namespace

namespace FolderRunTexts {

QString NoSuchFolder(const QString& shownFolder) {
    return QStringLiteral("Das Verzeichnis „%1“ gibt es nicht.").arg(shownFolder);
}

QString FolderUnreadable(const QString& shownFolder, const QString& why) {
    return QStringLiteral("Das Verzeichnis „%1“ lässt sich nicht lesen.\n%2").arg(shownFolder, why);
}

QString NoReadPermission() {
    return QStringLiteral("Sie haben keine Leserechte dafür.");
}

QString NoPictures(const QString& shownFolder, const QStringList& patterns) {
    return QStringLiteral("Im Verzeichnis „%1“ gibt es keine Bilder (%2).")
        .arg(shownFolder, patterns.join(QStringLiteral(", ")));
}

QString NoSuchDestination(const QString& shownFolder) {
    return QStringLiteral("Das Zielverzeichnis „%1“ gibt es nicht.").arg(shownFolder);
}

QString DestinationNotWritable(const QString& shownFolder, const QString& why) {
    return QStringLiteral("In das Zielverzeichnis „%1“ lässt sich nichts schreiben.\n%2")
        .arg(shownFolder, why);
}

QString NothingConverted(const QString& obstacle, bool sendByMail) {
    return obstacle + QStringLiteral("\nEs wurde nichts umgewandelt") +
           (sendByMail ? QStringLiteral(" und nichts versendet.") : QStringLiteral("."));
}

QString ChosenFolderUnreadable() {
    return QStringLiteral("Das Verzeichnis lässt sich nicht lesen.");
}

QString SkipReason(SkippedFile::Reason reason) {
    switch (reason) {
        case SkippedFile::Reason::NameNotUtf8:
            return DefectGerman(PictureDefect::NameNotUtf8);
        case SkippedFile::Reason::NotRegularFile:
            return QStringLiteral("Das ist keine gewöhnliche Datei.");
        case SkippedFile::Reason::Folder:
            return QStringLiteral("Das ist ein Ordner, keine Bilddatei.");
        case SkippedFile::Reason::AlreadyShrunk:
            return QStringLiteral("bereits verkleinert");
    }
    return {};
}

QString CannotSaveResult() {
    return QStringLiteral("Das Ergebnis lässt sich nicht speichern. ");
}

QString ReplacedResult(const QString& earlierName) {
    return QStringLiteral("gleicher Ergebnisname wie %1; dessen Ergebnis ist ersetzt")
        .arg(earlierName);
}

QString AskConvertFile() {
    return QStringLiteral("Möchten Sie diese Datei umwandeln?");
}

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

QString Busy(ConversionExecutor::Work underWay) {
    // Dropped pictures are neither a folder nor a mail: naming those would send the user
    // looking for work that is not there.
    if (underWay == ConversionExecutor::Work::Pictures) {
        return QStringLiteral("Bitte warten Sie, bis die Bilder verkleinert sind.");
    }
    return QStringLiteral(
        "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
        "beendet ist.");
}

QString ChosenHeading(bool mailed) {
    return mailed ? QStringLiteral("Bilder für die Mail verkleinert")
                  : QStringLiteral("Bilder verkleinert");
}

QString ChosenSummary(const FolderRunReport& report, const ConversionParams& params, bool mailed,
                      int shown) {
    QStringList replaced;
    qsizetype keptSize = 0;
    for (const FolderRunFile& file : report.files) {
        if (!file.Converted()) {
            continue;
        }
        // A file of this run replaced by a later one of the same name is told apart.
        if (file.result.replacedExisting && file.replaced.isEmpty()) {
            replaced << file.result.target;
        }
        if (std::max(file.result.width, file.result.height) < params.TargetSize) {
            ++keptSize;
        }
    }
    const qsizetype converted = report.Converted();
    QStringList lines;
    if (converted == 0) {
        lines << QStringLiteral("Kein Bild verkleinert.");
    } else {
        QString what = QStringLiteral("%1 auf %2 Pixel verkleinert, Qualität %3")
                           .arg(Pictures(converted))
                           .arg(params.TargetSize)
                           .arg(params.Quality);
        if (params.MaxKb > 0) {
            what += QStringLiteral(", höchstens %1 Kb je Datei").arg(params.MaxKb);
        }
        lines << what + (mailed ? QStringLiteral(", und dem Mailprogramm übergeben.")
                                : QStringLiteral(", neben den Originalen gespeichert."));
    }
    if (keptSize > 0) {
        lines << (keptSize == 1 ? QStringLiteral("1 Bild ist kleiner und behält seine Größe.")
                                : QStringLiteral("%1 Bilder sind kleiner und behalten ihre Größe.")
                                      .arg(keptSize));
    }
    if (!replaced.isEmpty()) {
        lines << QStringLiteral("Ersetzt: %1").arg(NameList(replaced, shown));
    }
    if (!report.skipped.empty()) {
        QStringList skipped;
        for (const FileProblem& problem : report.skipped) {
            skipped << problem.path;
        }
        lines << QStringLiteral("Übersprungen, weil bereits verkleinert: %1")
                     .arg(NameList(skipped, shown));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace FolderRunTexts
