#include "ConvertCommand.h"

#include <QFileInfo>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ConvertOptions.h"
#include "batch/FolderListing.h"
#include "platform/Prompts.h"
#include "platform/Terminal.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"
#include "workflow/DecodeBudget.h"

namespace {

// Memory the workers' decodings may take together. Most photos need a few megabytes at the
// reduced scale; a large progressive JPEG keeps all its coefficients (90 MB for 15
// megapixels without chroma subsampling) and then decodes alone.
constexpr long long kDecodeBudget = 48LL * 1024 * 1024;

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

// A conversion that writes only the files it is told to (no preview file) and reports a
// picture it cannot read instead of showing the sample in its place.
std::unique_ptr<Conversion> CommandLineConversion() {
    auto conversion = std::make_unique<Conversion>(QString());
    conversion->SetSubstituteSample(false);
    return conversion;
}

int ConvertOne(const ConvertOptions& options) {
    const ConversionResult result = CommandLineConversion()->Run(
        options.params, options.source, {}, options.destination, options.source);
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

// Files whose names differ only in the extension may give the same result name; each such
// group is converted in order by one worker, so the later file's result wins as it would
// in a run one file at a time.
std::vector<std::vector<std::size_t>> GroupByStem(const QStringList& files) {
    std::vector<std::vector<std::size_t>> groups;
    std::map<QString, std::size_t> groupOfStem;
    for (std::size_t i = 0; i < static_cast<std::size_t>(files.size()); ++i) {
        const auto [it, inserted] =
            groupOfStem.emplace(ConversionTexts::BaseName(files[i]), groups.size());
        if (inserted) {
            groups.emplace_back();
        }
        groups[it->second].push_back(i);
    }
    return groups;
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
    const QString prefix = options.source.endsWith(QLatin1Char('/'))
                               ? options.source
                               : options.source + QLatin1Char('/');
    for (const SkippedFile& skipped : listing.skipped) {
        PrintError(prefix + skipped.shownName,
                   QStringLiteral("skipped: ") + SkipReasonText(skipped.reason));
    }
    const QStringList& files = listing.pictures;
    const std::vector<std::vector<std::size_t>> groups = GroupByStem(files);
    std::vector<std::optional<ConversionResult>> results(files.size());
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<std::size_t> nextGroup{0};
    DecodeBudget budget(kDecodeBudget);

    auto work = [&] {
        const std::unique_ptr<Conversion> conversion = CommandLineConversion();
        conversion->SetDecodeBudget(&budget);
        for (std::size_t g = nextGroup++; g < groups.size(); g = nextGroup++) {
            for (const std::size_t i : groups[g]) {
                ConversionResult result =
                    conversion->Run(options.params, files[i], options.destination, {}, files[i]);
                std::lock_guard guard(lock);
                results[i] = std::move(result);
                finished.notify_all();
            }
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count = std::min<std::size_t>(options.jobs, groups.size());
    for (std::size_t w = 0; w < count; ++w) {
        workers.emplace_back(work);
    }

    // Results are reported in the order of the listing, whichever worker finishes first.
    const Progress progress(!options.quiet && IsTerminal(stderr), files.size());
    int failures = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::unique_lock guard(lock);
        finished.wait(guard, [&] { return results[i].has_value(); });
        const ConversionResult result = *results[i];
        guard.unlock();
        progress.Clear();
        if (result.target.isEmpty()) {
            ++failures;
            PrintError(files[i], result.error);
        } else {
            PrintWarning(files[i], result);
            if (!options.quiet) {
                PrintPath(result.target);
            }
        }
        progress.Show(i + 1, files[i]);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    progress.Clear();
    return failures == 0 && listing.skipped.empty() ? 0 : 1;
}

}  // namespace

int RunConvert(const ConvertOptions& options) {
    SilentPrompts silent;
    Prompts* previous = InstallPrompts(&silent);
    const int status = options.folderMode ? ConvertFolder(options) : ConvertOne(options);
    InstallPrompts(previous);
    return status;
}
