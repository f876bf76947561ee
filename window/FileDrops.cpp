#include "FileDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QThread>
#include <algorithm>

#include "WindowPrompts.h"
#include "batch/ChosenPictures.h"
#include "batch/ChosenPicturesRun.h"
#include "batch/FolderRunTexts.h"
#include "imaging/ConversionParams.h"
#include "platform/emulation/Prompts.h"

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files << url.toLocalFile();
        }
    }
    return files;
}

void AcceptFileDrag(QDragEnterEvent& event) {
    if (!DroppedFiles(event.mimeData()).isEmpty()) {
        event.acceptProposedAction();
    }
}

void TakeFileDrop(QDropEvent& event, QObject& context,
                  std::function<void(const QStringList&)> take) {
    const QStringList files = DroppedFiles(event.mimeData());
    if (files.isEmpty()) {
        return;
    }
    event.acceptProposedAction();
    // The file manager waits for the drop to end: the dialogs and the run come afterwards.
    QMetaObject::invokeMethod(
        &context, [files, take = std::move(take)] { take(files); }, Qt::QueuedConnection);
}

void ShrinkDroppedPictures(ConversionExecutor& executor, const QStringList& files,
                           const ConversionParams& params, QWidget* parent) {
    ConversionParams shrinking = params;
    shrinking.NeverEnlarge = 1;
    const auto started = StartChosenPictures(
        executor, ExpandChosen(files), shrinking, FolderOf,
        std::max(QThread::idealThreadCount(), 1), parent, [shrinking](FolderRunReport report) {
            if (report.cancelled) {
                return;
            }
            const QString summary = FolderRunTexts::ChosenSummary(report, shrinking, false);
            if (FolderRunTexts::HasProblems(report)) {
                Warn(summary + QStringLiteral("\n\n") + FolderRunTexts::EndReport(report, false));
            } else {
                CurrentPrompts().Notify(FolderRunTexts::ChosenHeading(false), summary);
            }
        });
    if (started == ConversionExecutor::StartResult::Busy) {
        Warn(FolderRunTexts::Busy(executor.Busy()));
    }
}
