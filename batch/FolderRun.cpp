#include "FolderRun.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "FolderRunTexts.h"
#include "platform/files/FileOps.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"
#include "workflow/DecodeBudget.h"
#include "workflow/WorkPool.h"

namespace {

void Record(FolderRunReport& report, FolderRunFile file) {
    if (!file.Converted()) {
        // A write failure is the destination's, not the picture's.
        QString reason = FailureReason(file.result);
        if (file.result.failure == ConversionFailure::CannotWrite) {
            reason.prepend(FolderRunTexts::CannotSaveResult());
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
                {file.source, FolderRunTexts::ReplacedResult(ConversionTexts::FileName(source)),
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
                                   const QString& source, const QString& destination,
                                   ResultNames names) {
    if (names == ResultNames::WithSize) {
        return conversion.Run({.params = params,
                               .picture = source,
                               .outputFolder = destination,
                               .currentPicture = source,
                               .sampleUse = SampleUse::Never});
    }
    // Joined piece by piece, as the names with sizes are: a '%' must stay a '%'.
    const QString target =
        destination + QLatin1Char('/') + ConversionTexts::BaseName(source) + QStringLiteral(".jpg");
    // The result would be written over the picture it is made of.
    if (IsSameFile(source, target)) {
        ConversionResult refused;
        refused.failure = ConversionFailure::CannotWrite;
        refused.error =
            QStringLiteral("its result would replace the picture itself; nothing written");
        return refused;
    }
    return conversion.Run({.params = params,
                           .picture = source,
                           .outputName = target,
                           .currentPicture = source,
                           .sampleUse = SampleUse::Never});
}

std::vector<std::vector<qsizetype>> ResultGroups(const QStringList& files,
                                                 const QStringList& destinations) {
    std::vector<std::vector<qsizetype>> groups;
    std::map<QString, std::size_t> groupOfStem;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const auto [it, inserted] = groupOfStem.emplace(
            destinations[i] + QLatin1Char('/') + ConversionTexts::BaseName(files[i]),
            groups.size());
        if (inserted) {
            groups.emplace_back();
        }
        groups[it->second].push_back(i);
    }
    return groups;
}

FolderRunReport RunFolder(const QString& folder, const FolderPictures& listing,
                          const FolderRunSteps& steps) {
    FolderRunReport report;
    const QString prefix = FolderPrefix(folder);
    for (const SkippedFile& skipped : listing.skipped) {
        FileProblem problem{prefix + skipped.shownName, FolderRunTexts::SkipReason(skipped.reason),
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
                                        const std::function<void(const FolderRunFile&)>& reported,
                                        ResultNames names) {
    return ConvertFilesInParallel(
        files, params, [&destination](const QString&) { return destination; }, jobs, reported,
        nullptr, names);
}

FolderRunReport ConvertFilesInParallel(const QStringList& files, const ConversionParams& params,
                                       const std::function<QString(const QString&)>& destinationOf,
                                       int jobs,
                                       const std::function<void(const FolderRunFile&)>& reported,
                                       const std::atomic<bool>* cancel, ResultNames names) {
    QStringList destinations;
    destinations.reserve(files.size());
    for (const QString& file : files) {
        destinations << destinationOf(file);
    }
    DecodeBudget budget(kRunDecodeBudget);
    FolderRunReport report;
    ConvertSideBySide(
        ResultGroups(files, destinations),
        [&](Conversion& conversion, qsizetype i) {
            return ConvertIntoFolder(conversion, params, files[i], destinations[i], names);
        },
        {jobs, &budget, cancel},
        [&](qsizetype i, std::optional<ConversionResult> result) {
            if (!result) {
                report.cancelled = true;
                return;
            }
            Record(report, {files[i], std::move(*result)});
            if (reported) {
                reported(report.files.back());
            }
        });
    return report;
}

void ConvertSideBySide(
    const std::vector<std::vector<qsizetype>>& groups,
    const std::function<ConversionResult(Conversion&, qsizetype)>& convert, const SideBySide& how,
    const std::function<void(qsizetype, std::optional<ConversionResult>)>& finished) {
    qsizetype count = 0;
    for (const std::vector<qsizetype>& group : groups) {
        count += static_cast<qsizetype>(group.size());
    }
    const auto cancelled = [&how] { return how.cancel != nullptr && how.cancel->load(); };
    // A file left out for a cancel is finished without a result.
    std::vector<std::optional<ConversionResult>> results(static_cast<std::size_t>(count));
    std::vector<char> finishedFiles(static_cast<std::size_t>(count), 0);
    std::mutex lock;
    std::condition_variable done;
    std::atomic<std::size_t> nextGroup{0};

    auto work = [&] {
        // No preview file: every run names its target.
        Conversion conversion{QString()};
        conversion.SetDecodeBudget(how.budget);
        for (std::size_t g = nextGroup++; g < groups.size(); g = nextGroup++) {
            for (const qsizetype i : groups[g]) {
                std::optional<ConversionResult> result;
                if (!cancelled()) {
                    result = GuardedRun([&] { return convert(conversion, i); });
                }
                std::lock_guard guard(lock);
                results[static_cast<std::size_t>(i)] = std::move(result);
                finishedFiles[static_cast<std::size_t>(i)] = 1;
                done.notify_all();
            }
        }
    };
    // The program's pool does the work; with no thread to spare, this one does.
    WorkPool& pool = WorkPool::Program();
    const std::size_t wanted = std::min<std::size_t>(std::max(how.jobs, 1), groups.size());
    const std::size_t helpers = std::min(wanted, pool.Reserve(wanted));
    std::size_t helping = helpers;  // under `lock`: helpers not yet back from `work`
    for (std::size_t w = 0; w < helpers; ++w) {
        pool.Give([&] {
            work();
            std::lock_guard guard(lock);
            --helping;
            done.notify_all();
        });
    }
    if (helpers == 0) {
        work();
    }
    for (qsizetype i = 0; i < count; ++i) {
        std::unique_lock guard(lock);
        done.wait(guard, [&] { return finishedFiles[static_cast<std::size_t>(i)] != 0; });
        std::optional<ConversionResult> result = std::move(results[static_cast<std::size_t>(i)]);
        guard.unlock();
        finished(i, std::move(result));
    }
    // The helpers use what lives here until they are back.
    std::unique_lock guard(lock);
    done.wait(guard, [&] { return helping == 0; });
}
