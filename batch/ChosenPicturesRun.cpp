#include "ChosenPicturesRun.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <system_error>
#include <thread>

#include "BatchProgressDlg.h"
#include "platform/processes/Memory.h"
#include "platform/processes/PostedCalls.h"

FolderRunReport RunChosenPictures(const ChosenPictures& chosen, const ConversionParams& params,
                                  const std::function<QString(const QString&)>& destinationOf,
                                  int jobs, QWidget* parent, int progressDelayMs) {
    FolderRunReport report;
    const QStringList& files = chosen.files;
    const qsizetype total = files.size();
    std::atomic<bool> cancel{false};
    QEventLoop loop;
    QPointer<CBatchProgressDlg> progress;
    qsizetype done = 0;  // on the GUI thread only
    const auto showProgress = [&] {
        if (progress != nullptr) {
            progress->SetProgress(done, total, done < total ? files[done] : QString());
        }
    };
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [&] {
        progress = new CBatchProgressDlg(parent, [&cancel] { cancel = true; });
        progress->setWindowTitle(QStringLiteral("Bilder umwandeln"));
        progress->setAttribute(Qt::WA_DeleteOnClose);
        showProgress();
        progress->show();
    });
    delay.start(progressDelayMs);

    // The results are told on the worker's thread; the window hears of them on its own,
    // through calls whose hand-over ThreadSanitizer can follow.
    PostedCalls posted(&loop);
    const auto run = [&] {
        report = ConvertFilesInParallel(
            files, params, destinationOf, jobs,
            [&](const FolderRunFile&) {
                posted.Post([&] {
                    ++done;
                    showProgress();
                });
            },
            &cancel);
        posted.Post([&] { loop.quit(); });
    };
    std::thread worker;
    try {
        worker = std::thread(run);
    } catch (const std::system_error&) {
        // No thread to spare: the work is done here, without a progress window.
        run();
    }
    loop.exec();
    if (worker.joinable()) {
        worker.join();
    }
    delay.stop();
    if (progress != nullptr) {
        progress->hide();
        delete progress;
    }
    ReturnFreedMemory();
    report.failed.insert(report.failed.begin(), chosen.skipped.begin(), chosen.skipped.end());
    report.skipped = chosen.alreadyShrunk;
    return report;
}
