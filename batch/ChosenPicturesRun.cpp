#include "ChosenPicturesRun.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "BatchProgressDlg.h"
#include "platform/processes/Memory.h"
#include "workflow/Conversion.h"

namespace {

// What the window's thread shows of a run: the progress window, once the run has lasted.
struct Shown {
    QStringList files;
    QTimer delay;
    QPointer<CBatchProgressDlg> progress;
    qsizetype done = 0;

    void Update() {
        if (progress != nullptr) {
            const qsizetype total = files.size();
            progress->SetProgress(done, total, done < total ? files[done] : QString());
        }
    }
    void Close() {
        delay.stop();
        if (progress != nullptr) {
            progress->hide();
            delete progress;
        }
    }
};

FolderRunReport Finished(FolderRunReport report, const ChosenPictures& chosen) {
    ReturnFreedMemory();
    report.failed.insert(report.failed.begin(), chosen.skipped.begin(), chosen.skipped.end());
    report.skipped = chosen.alreadyShrunk;
    return report;
}

}  // namespace

ConversionExecutor::StartResult StartChosenPictures(
    ConversionExecutor& executor, const ChosenPictures& chosen, const ConversionParams& params,
    std::function<QString(const QString&)> destinationOf, int jobs, QWidget* parent,
    std::function<void(FolderRunReport)> done, int progressDelayMs) {
    if (executor.Busy() != ConversionExecutor::Work::None) {
        return ConversionExecutor::StartResult::Busy;
    }
    // Lives on the window's thread until the run's end has been told there; the run reaches
    // it only through calls posted to that thread, which go before the end.
    auto shown = std::make_shared<Shown>();
    shown->files = chosen.files;
    shown->delay.setSingleShot(true);
    QObject::connect(&shown->delay, &QTimer::timeout, [view = shown.get(), parent, &executor] {
        view->progress = new CBatchProgressDlg(parent, [&executor] { executor.Cancel(); });
        view->progress->setWindowTitle(QStringLiteral("Bilder umwandeln"));
        view->progress->setAttribute(Qt::WA_DeleteOnClose);
        view->Update();
        view->progress->show();
    });
    shown->delay.start(progressDelayMs);

    const auto convert = [files = chosen.files, params, destinationOf = std::move(destinationOf),
                          jobs, view = shown.get()](WindowWorker& worker) {
        return ConvertFilesInParallel(
            files, params, destinationOf, jobs,
            [&worker, view](const FolderRunFile&) {
                worker.Post([view] {
                    ++view->done;
                    view->Update();
                });
            },
            &worker.CancelFlag());
    };
    const auto started = executor.Start<FolderRunReport>(
        ConversionExecutor::Work::Pictures, convert,
        [shown, chosen, done](std::optional<FolderRunReport> report) {
            shown->Close();
            if (!report) {
                // The worker has told what went wrong; the caller says nothing more.
                report.emplace();
                report->cancelled = true;
            }
            done(Finished(std::move(*report), chosen));
        });
    if (started != ConversionExecutor::StartResult::Started) {
        shown->Close();
    }
    return started;
}

FolderRunReport RunChosenPictures(const ChosenPictures& chosen, const ConversionParams& params,
                                  const std::function<QString(const QString&)>& destinationOf,
                                  int jobs, QWidget* parent, int progressDelayMs) {
    // The program has no window to go on with meanwhile: it waits here, handling the progress
    // window's events, until the report is there.
    QEventLoop loop;
    Conversion unused{QString()};
    ConversionExecutor executor(&loop, unused);
    std::optional<FolderRunReport> report;
    const auto started = StartChosenPictures(
        executor, chosen, params, destinationOf, jobs, parent,
        [&](FolderRunReport made) {
            report = std::move(made);
            loop.quit();
        },
        progressDelayMs);
    if (started == ConversionExecutor::StartResult::Started && !report) {
        loop.exec();
    }
    if (!report) {
        // No thread for the run: the worker has said so.
        report.emplace();
        report->cancelled = true;
    }
    return std::move(*report);
}
