#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "imaging/ConversionParams.h"
#include "workflow/ConversionResult.h"
#include "workflow/MainSettings.h"

class BackgroundConversion;
class Conversion;
class CSimpleMapi;
class WindowWorker;

// The window's folder run on its worker: each picture is converted here, straight into the
// destination, and added to the run's mail; the end report and the mail follow. No widgets:
// what the window sees of it is the progress it is handed on its own thread.
class WindowFolderRun : public std::enable_shared_from_this<WindowFolderRun> {
public:
    // What the run uses of the window.
    struct Window {
        Conversion& conversion;
        BackgroundConversion& background;
        CSimpleMapi& mail;
        // The parameters as they stand now, read afresh for every file so that changes in the
        // panel reach the files still to come. Called on the worker.
        std::function<ConversionParams()> params;
        // How far the run is; called on the window's thread, the newest only.
        std::function<void(qsizetype done, qsizetype total, const QString& next)> progress;
    };

    // `settings` and `picturePath` (the picture open before the run) as at its start.
    WindowFolderRun(Window window, BatchMailSettings settings, QString picturePath);

    // The walk over the source folder on the worker: every picture through ConvertFolderFile,
    // then the end report or the mail.
    void ConvertFolder(WindowWorker& worker);

private:
    // One file of the walk: asks first if the user wants that, converts it, adds it to the
    // mail. No result when the user declined it.
    std::optional<ConversionResult> ConvertFolderFile(WindowWorker& worker, const QString& file);
    void PostProgress(WindowWorker& worker, qsizetype done, qsizetype total, const QString& next);

    const Window m_window;
    const BatchMailSettings m_settings;
    const QString m_picturePath;
    bool m_declined = false;  // the user answered Cancel: only the worker touches it

    std::mutex m_progressLock;  // guards what follows
    qsizetype m_done = 0;
    qsizetype m_total = 0;
    QString m_next;
    bool m_progressPosted = false;
};
