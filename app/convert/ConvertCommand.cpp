#include "ConvertCommand.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "ConvertOptions.h"
#include "batch/FolderRun.h"
#include "batch/FolderTree.h"
#include "batch/PictureListRun.h"
#include "platform/emulation/Prompts.h"
#include "platform/files/FileOps.h"
#include "platform/files/NameList.h"
#include "platform/processes/Terminal.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"

namespace {

// Failures come back in the results with their reasons; nothing is shown on the way.
class SilentPrompts final : public Prompts {
public:
    Answer ShowMessage(const Message&) override { return Answer::Cancel; }
    std::optional<QString> AskFileName(const FileDialogRequest&) override { return std::nullopt; }
};

// The written file, and under a size limit the quality it was written with.
void PrintWritten(const ConversionResult& result, const ConversionParams& params) {
    if (params.MaxKb > 0) {
        std::fprintf(stdout, "%s (quality %d)\n", QFile::encodeName(result.target).constData(),
                     result.quality);
    } else {
        std::fprintf(stdout, "%s\n", QFile::encodeName(result.target).constData());
    }
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

// Tells what became of one picture; false when it failed or passed the size limit.
bool Report(const QString& source, const ConversionResult& result, const ConvertOptions& options) {
    if (result.target.isEmpty()) {
        PrintError(source, result.error);
        return false;
    }
    PrintWarning(source, result);
    if (!options.quiet) {
        PrintWritten(result, options.params);
    }
    if (result.overLimit) {
        PrintError(source, QStringLiteral("even at quality 0 it takes %1 bytes, more than "
                                          "--max-kb %2 allows; written at quality 0")
                               .arg(FileSize(result.target))
                               .arg(options.params.MaxKb));
        return false;
    }
    return true;
}

int ConvertOne(ConvertOptions options) {
    if (IsSameFile(options.source, options.destination)) {
        PrintError(options.destination,
                   QStringLiteral("is the picture to convert; nothing written"));
        return 2;
    }
    // The picture itself goes to standard output (/dev/stdout, or the file it is redirected
    // to): its name must not be mixed into it.
    options.quiet = options.quiet || IsOpenFileNamed(STDOUT_FILENO, options.destination);
    // No preview file; a picture it cannot read is reported, not replaced by the sample.
    Conversion conversion{QString()};
    const ConversionResult result = conversion.Run({.params = options.params,
                                                    .picture = options.source,
                                                    .outputName = options.destination,
                                                    .currentPicture = options.source,
                                                    .sampleUse = SampleUse::Never});
    return Report(options.source, result, options) ? 0 : 1;
}

// How far a run is, on a terminal; a list of unknown length shows only what is done.
class Progress {
public:
    Progress(bool shown, qsizetype total) : m_shown(shown), m_total(total) {}
    void Show(qsizetype done, const QString& file) const {
        if (!m_shown) {
            return;
        }
        const QByteArray name = ConversionTexts::FileName(file).toLocal8Bit();
        if (m_total < 0) {
            std::fprintf(stderr, "\r\x1b[K[%lld] %s", static_cast<long long>(done),
                         name.constData());
        } else {
            std::fprintf(stderr, "\r\x1b[K[%lld/%lld] %s", static_cast<long long>(done),
                         static_cast<long long>(m_total), name.constData());
        }
        std::fflush(stderr);
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

// Names what a folder's listing leaves out; true when it leaves out a file the user asked for.
bool PrintSkipped(const FolderToConvert& folder) {
    if (!folder.listing.error.isEmpty()) {
        PrintError(folder.source, folder.listing.error);
        return true;
    }
    const QString prefix = FolderPrefix(folder.source);
    bool skipped = false;
    for (const SkippedFile& entry : folder.listing.skipped) {
        // A folder named like a picture is no file the user asked for; a result of an earlier
        // run is named, but leaves out nothing.
        if (entry.reason != SkippedFile::Reason::Folder) {
            skipped = SkipIsFailure(entry.reason) || skipped;
            PrintError(prefix + entry.shownName,
                       QStringLiteral("skipped: ") + SkipReasonText(entry.reason));
        }
    }
    return skipped;
}

// Each conversion holds its picture and its result open at once, and a decoder may open a
// library; the rest of the program needs a few more. A run that would need more descriptors
// than the process may have converts fewer files at once instead of failing some.
int JobsTheDescriptorsAllow(int jobs) {
    constexpr long long kOwnDescriptors = 16;
    constexpr long long kPerJob = 3;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return jobs;
    }
    const long long spare = static_cast<long long>(limit.rlim_cur) - kOwnDescriptors;
    return static_cast<int>(std::clamp<long long>(spare / kPerJob, 1, jobs));
}

int ConvertFolder(const ConvertOptions& options) {
    for (const QString& folder : {options.source, options.destination}) {
        if (!QFileInfo(folder).isDir()) {
            PrintError(folder, QStringLiteral("no such folder"));
            return 1;
        }
    }
    const std::vector<FolderToConvert> folders =
        ListFolderTree(options.source, options.destination, options.patterns, options.recursive);
    if (!folders.front().listing.error.isEmpty()) {
        PrintError(options.source, folders.front().listing.error);
        return 1;
    }
    bool problem = false;
    qsizetype total = 0;
    for (const FolderToConvert& folder : folders) {
        problem = PrintSkipped(folder) || problem;
        total += folder.listing.pictures.size();
    }
    const Progress progress(!options.quiet && IsTerminal(stderr), total);
    qsizetype done = 0;
    for (const FolderToConvert& folder : folders) {
        const QStringList& files = folder.listing.pictures;
        if (files.isEmpty()) {
            continue;
        }
        if (!QDir().mkpath(folder.destination)) {
            progress.Clear();
            PrintError(folder.destination, QStringLiteral("cannot create the folder; its "
                                                          "pictures are not converted"));
            problem = true;
            done += files.size();
            continue;
        }
        ConvertFolderInParallel(
            files, options.params, folder.destination, JobsTheDescriptorsAllow(options.jobs),
            [&](const FolderRunFile& file) {
                progress.Clear();
                if (!file.replaced.isEmpty()) {
                    PrintError(file.source, ReplacedText(file));
                }
                problem = !Report(file.source, file.result, options) || problem;
                progress.Show(++done, file.source);
            },
            options.keepNames ? ResultNames::Kept : ResultNames::WithSize);
    }
    progress.Clear();
    return problem ? 1 : 0;
}

// The list of --files-from, open for reading; closed at the end unless it is standard input.
struct ListInput {
    std::FILE* file = nullptr;
    ~ListInput() {
        if (file != nullptr && file != stdin) {
            std::fclose(file);
        }
    }
};

int ConvertList(const ConvertOptions& options) {
    if (!QFileInfo(options.destination).isDir()) {
        PrintError(options.destination, QStringLiteral("no such folder"));
        return 1;
    }
    ListInput input;
    std::optional<NameListReader> list;
    if (!options.listFile.isEmpty()) {
        input.file = options.listFile == QStringLiteral("-")
                         ? stdin
                         : std::fopen(QFile::encodeName(options.listFile).constData(), "rb");
        if (input.file == nullptr) {
            PrintError(options.listFile, QStringLiteral("cannot read the list: ") +
                                             QString::fromLocal8Bit(std::strerror(errno)));
            return 1;
        }
        list.emplace(input.file, options.listSeparator);
    }
    qsizetype named = 0;
    const auto nextName = [&]() -> std::optional<QByteArray> {
        if (named < options.files.size()) {
            return QFile::encodeName(options.files[named++]);
        }
        return list ? list->Next() : std::nullopt;
    };
    const Progress progress(!options.quiet && IsTerminal(stderr), list ? -1 : options.files.size());
    qsizetype done = 0;
    bool problem = false;
    ConvertPictureList(
        nextName,
        {options.params, options.destination,
         options.keepNames ? ResultNames::Kept : ResultNames::WithSize,
         JobsTheDescriptorsAllow(options.jobs), options.treeBase, options.part, options.parts},
        [&](const FolderRunFile& file) {
            progress.Clear();
            // Pictures of several folders may give one result name: the earlier one is named
            // with its folder.
            if (file.replaced == file.source) {
                PrintError(file.source, QStringLiteral("named twice; converted again"));
            } else if (!file.replaced.isEmpty()) {
                PrintError(file.source,
                           QStringLiteral("same result name as %1; that result is replaced")
                               .arg(file.replaced));
            }
            problem = !Report(file.source, file.result, options) || problem;
            progress.Show(++done, file.source);
        });
    progress.Clear();
    if (list && list->Error() != 0) {
        PrintError(options.listFile, QStringLiteral("cannot read the list to its end: ") +
                                         QString::fromLocal8Bit(std::strerror(list->Error())));
        problem = true;
    }
    return problem ? 1 : 0;
}

}  // namespace

int RunConvert(const ConvertOptions& options) {
    SilentPrompts silent;
    Prompts* previous = InstallPrompts(&silent);
    const int status = options.folderMode ? ConvertFolder(options)
                       : options.listMode ? ConvertList(options)
                                          : ConvertOne(options);
    InstallPrompts(previous);
    return status;
}
