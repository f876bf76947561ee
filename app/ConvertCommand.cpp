#include "ConvertCommand.h"

#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "ConvertOptions.h"
#include "batch/FolderRun.h"
#include "platform/Prompts.h"
#include "platform/Terminal.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"

namespace {

// Failures come back in the results with their reasons; nothing is shown on the way.
class SilentPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message&) override { return Answer::Cancel; }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
};

void PrintPath(const QString& path) {
    std::fprintf(stdout, "%s\n", QFile::encodeName(path).constData());
    std::fflush(stdout);
}

void PrintError(const QString& subject, const QString& reason) {
    std::fprintf(stderr, "plenmar-convert: %s: %s\n", subject.toLocal8Bit().constData(),
                 reason.toLocal8Bit().constData());
}

// A picture converted in spite of damage is named, though it counts as converted: its file
// is there and holds what could be read.
void PrintWarning(const QString& subject, const ConversionResult& result) {
    if (!result.warning.isEmpty()) {
        PrintError(subject, QStringLiteral("warning: ") + result.warning);
    }
}

int ConvertOne(const ConvertOptions& options) {
    // No preview file; a picture it cannot read is reported, not replaced by the sample.
    Conversion conversion{QString()};
    const ConversionResult result = conversion.Run(
        options.params, options.source, {}, options.destination, options.source, SampleUse::Never);
    if (result.target.isEmpty()) {
        PrintError(options.source, result.error);
        return 1;
    }
    PrintWarning(options.source, result);
    if (!options.quiet) {
        PrintPath(result.target);
    }
    return 0;
}

class Progress {
public:
    Progress(bool shown, qsizetype total) : m_shown(shown), m_total(total) {}
    void Show(qsizetype done, const QString& file) const {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[K[%lld/%lld] %s", static_cast<long long>(done),
                         static_cast<long long>(m_total),
                         ConversionTexts::FileName(file).toLocal8Bit().constData());
            std::fflush(stderr);
        }
    }
    void Clear() const {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[K");
            std::fflush(stderr);
        }
    }

private:
    bool m_shown;
    qsizetype m_total;
};

int ConvertFolder(const ConvertOptions& options) {
    for (const QString& folder : {options.source, options.destination}) {
        if (!QFileInfo(folder).isDir()) {
            PrintError(folder, QStringLiteral("no such folder"));
            return 1;
        }
    }
    const FolderPictures listing = ListFolderPictures(options.source);
    if (!listing.error.isEmpty()) {
        PrintError(options.source, listing.error);
        return 1;
    }
    const QString prefix = FolderPrefix(options.source);
    bool skipped = false;
    for (const SkippedFile& entry : listing.skipped) {
        // A folder named like a picture is no file the user asked for.
        if (entry.reason != SkippedFile::Reason::Folder) {
            skipped = true;
            PrintError(prefix + entry.shownName,
                       QStringLiteral("skipped: ") + SkipReasonText(entry.reason));
        }
    }
    const QStringList& files = listing.pictures;
    const Progress progress(!options.quiet && IsTerminal(stderr), files.size());
    qsizetype done = 0;
    const FolderRunReport report = ConvertFolderInParallel(
        files, options.params, options.destination, options.jobs, [&](const FolderRunFile& file) {
            progress.Clear();
            if (!file.Converted()) {
                PrintError(file.source, file.result.error);
            } else {
                PrintWarning(file.source, file.result);
                if (!options.quiet) {
                    PrintPath(file.result.target);
                }
            }
            progress.Show(++done, file.source);
        });
    progress.Clear();
    return report.failed.empty() && !skipped ? 0 : 1;
}

}  // namespace

int RunConvert(const ConvertOptions& options) {
    SilentPrompts silent;
    Prompts* previous = InstallPrompts(&silent);
    const int status = options.folderMode ? ConvertFolder(options) : ConvertOne(options);
    InstallPrompts(previous);
    return status;
}
