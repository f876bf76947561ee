#include "FolderRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"
#include "workflow/DecodeBudget.h"

namespace {

// Memory the workers' decodings may take together. Most photos need a few megabytes at the
// reduced scale; a progressive JPEG decoded at 1/4 or more keeps all its coefficients (90 MB
// for 15 megapixels without chroma subsampling) and may then decode alone. At 1/8 it keeps
// little more than its chroma's.
constexpr long long kDecodeBudget = 48LL * 1024 * 1024;

// Files whose names differ only in the extension may give the same result name in the same
// folder; each group goes to one worker, in listing order.
std::vector<std::vector<std::size_t>> GroupByStem(const QStringList& files,
                                                  const QStringList& destinations) {
    std::vector<std::vector<std::size_t>> groups;
    std::map<QString, std::size_t> groupOfStem;
    for (std::size_t i = 0; i < static_cast<std::size_t>(files.size()); ++i) {
        const auto [it, inserted] =
            groupOfStem.emplace(destinations[static_cast<qsizetype>(i)] + QLatin1Char('/') +
                                    ConversionTexts::BaseName(files[static_cast<qsizetype>(i)]),
                                groups.size());
        if (inserted) {
            groups.emplace_back();
        }
        groups[it->second].push_back(i);
    }
    return groups;
}

void Record(FolderRunReport& report, FolderRunFile file) {
    if (!file.Converted()) {
        // A write failure is the destination's, not the picture's.
        QString reason = FailureReason(file.result);
        if (file.result.failure == ConversionFailure::CannotWrite) {
            reason.prepend(QStringLiteral("Das Ergebnis lässt sich nicht speichern. "));
        }
        report.failed.push_back({file.source, reason, file.result.error});
    } else {
        if (!file.result.warning.isEmpty()) {
            report.warned.push_back({file.source, WarningReason(file.result), file.result.warning});
        }
        // The later picture's result stays, as in a run by hand, but not without a word.
        QString& source = report.sourceOfResult[file.result.target];
        if (!source.isEmpty()) {
            file.replaced = source;
            report.replacing.push_back(
                {file.source,
                 QStringLiteral("gleicher Ergebnisname wie %1; dessen Ergebnis ist ersetzt")
                     .arg(ConversionTexts::FileName(source)),
                 ReplacedText(file)});
        }
        source = file.source;
    }
    report.files.push_back(std::move(file));
}

}  // namespace

QString ReplacedText(const FolderRunFile& file) {
    return QStringLiteral("same result name as %1; that result is replaced")
        .arg(ConversionTexts::FileName(file.replaced));
}

int FolderRunReport::Converted() const {
    return static_cast<int>(std::count_if(files.begin(), files.end(),
                                          [](const FolderRunFile& f) { return f.Converted(); }));
}

ConversionResult ConvertIntoFolder(Conversion& conversion, const ConversionParams& params,
                                   const QString& source, const QString& destination) {
    return conversion.Run(params, source, destination, {}, source, SampleUse::Never);
}

FolderRunReport RunFolder(const QString& folder, const FolderPictures& listing,
                          const FolderRunSteps& steps) {
    FolderRunReport report;
    const QString prefix = FolderPrefix(folder);
    for (const SkippedFile& skipped : listing.skipped) {
        FileProblem problem{prefix + skipped.shownName, SkipReasonGerman(skipped.reason),
                            SkipReasonText(skipped.reason)};
        (skipped.reason == SkippedFile::Reason::AlreadyShrunk ? report.skipped : report.failed)
            .push_back(std::move(problem));
    }
    const auto cancelled = [&] { return steps.cancelled && steps.cancelled(); };
    const qsizetype total = listing.pictures.size();
    for (qsizetype i = 0; i < total; ++i) {
        const QString& file = listing.pictures[i];
        if (steps.progress) {
            steps.progress(i, total, file);
        }
        if (cancelled()) {
            report.cancelled = true;
            return report;
        }
        if (std::optional<ConversionResult> result = steps.convertFile(file)) {
            Record(report, {file, std::move(*result)});
        }
        if (cancelled()) {
            report.cancelled = true;
            return report;
        }
    }
    if (steps.progress) {
        steps.progress(total, total, {});
    }
    return report;
}

FolderRunReport ConvertFolderInParallel(const QStringList& files, const ConversionParams& params,
                                        const QString& destination, int jobs,
                                        const std::function<void(const FolderRunFile&)>& reported) {
    return ConvertFilesInParallel(
        files, params, [&destination](const QString&) { return destination; }, jobs, reported);
}

FolderRunReport ConvertFilesInParallel(const QStringList& files, const ConversionParams& params,
                                       const std::function<QString(const QString&)>& destinationOf,
                                       int jobs,
                                       const std::function<void(const FolderRunFile&)>& reported,
                                       const std::atomic<bool>* cancel) {
    QStringList destinations;
    destinations.reserve(files.size());
    for (const QString& file : files) {
        destinations << destinationOf(file);
    }
    const std::vector<std::vector<std::size_t>> groups = GroupByStem(files, destinations);
    const auto cancelled = [cancel] { return cancel != nullptr && cancel->load(); };
    // A file left out for a cancel is finished without a result.
    std::vector<std::optional<ConversionResult>> results(files.size());
    std::vector<char> finishedFiles(files.size(), 0);
    std::mutex lock;
    std::condition_variable finished;
    std::atomic<std::size_t> nextGroup{0};
    DecodeBudget budget(kDecodeBudget);

    auto work = [&] {
        // No preview file: every run names its target.
        Conversion conversion{QString()};
        conversion.SetDecodeBudget(&budget);
        for (std::size_t g = nextGroup++; g < groups.size(); g = nextGroup++) {
            for (const std::size_t i : groups[g]) {
                std::optional<ConversionResult> result;
                if (!cancelled()) {
                    result = GuardedRun([&] {
                        return ConvertIntoFolder(conversion, params,
                                                 files[static_cast<qsizetype>(i)],
                                                 destinations[static_cast<qsizetype>(i)]);
                    });
                }
                std::lock_guard guard(lock);
                results[i] = std::move(result);
                finishedFiles[i] = 1;
                finished.notify_all();
            }
        }
    };
    std::vector<std::thread> workers;
    const std::size_t count = std::min<std::size_t>(std::max(jobs, 1), groups.size());
    try {
        for (std::size_t w = 0; w < count; ++w) {
            workers.emplace_back(work);
        }
    } catch (const std::system_error&) {
        // Fewer jobs than asked for; with none at all, this thread does the work.
        if (workers.empty()) {
            work();
        }
    }

    FolderRunReport report;
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::unique_lock guard(lock);
        finished.wait(guard, [&] { return finishedFiles[static_cast<std::size_t>(i)] != 0; });
        if (!results[static_cast<std::size_t>(i)]) {
            report.cancelled = true;
            continue;
        }
        FolderRunFile file{files[i], std::move(*results[static_cast<std::size_t>(i)])};
        guard.unlock();
        Record(report, std::move(file));
        if (reported) {
            reported(report.files.back());
        }
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    return report;
}
