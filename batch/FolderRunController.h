#pragma once

#include <QPointer>

#include "BatchProgressDlg.h"
#include "imaging/ConversionParams.h"
#include "workflow/MainSettings.h"

class BackgroundConversion;
class Conversion;
class CSimpleMapi;
class QWidget;
class WindowFolderRun;
class WindowWorker;

// What a folder run needs of the window that owns it.
class FolderRunHost {
public:
    // The parameters as they stand now: read on the worker for every file.
    virtual ConversionParams CurrentParams() const = 0;
    // A mail waits for its conversion: a run waits for it.
    virtual bool MailPending() const = 0;
    // The window is closing: no run starts any more.
    virtual bool Closing() const = 0;
    // On the window's thread once the run has ended: the window shows its picture again.
    virtual void FolderRunEnded() = 0;

protected:
    ~FolderRunHost() = default;
};

// "Ganzes Verzeichnis umwandeln" of the window: asks for the folders and options, shows how
// far the run is and runs it on the window's worker (see WindowFolderRun). Open, save as, mail
// and a second run wait until it has ended.
class CFolderRunController {
public:
    CFolderRunController(QWidget& window, FolderRunHost& host, WindowWorker& worker,
                         Conversion& conversion, BackgroundConversion& background,
                         CSimpleMapi& mail);

    // Asks with "Verzeichnis umwandeln", keeps what was chosen in `settings`, then runs the
    // source folder into the destination. `picturePath` is the picture open now.
    void Start(BatchMailSettings& settings, const QString& picturePath);
    // From the dialog's "OK" until the run's end has been seen on the window's thread.
    bool Running() const { return m_running; }
    // The progress window of the run under way, or null.
    CBatchProgressDlg* Progress() const { return m_progress.data(); }

private:
    // The run's thread on the window's worker: the folder converted, then the window told
    // that the run has ended.
    void BatchThreadProc(WindowWorker& worker, WindowFolderRun& run);
    void End();

    QWidget& m_window;
    FolderRunHost& m_host;
    WindowWorker& m_worker;
    Conversion& m_conversion;
    BackgroundConversion& m_background;
    CSimpleMapi& m_mail;
    bool m_running = false;
    QPointer<CBatchProgressDlg> m_progress;
};
