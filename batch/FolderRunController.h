#pragma once

#include <QPointer>

#include "BatchProgressDlg.h"
#include "imaging/ConversionParams.h"
#include "workflow/MainSettings.h"

class Conversion;
class ConversionExecutor;
class CSimpleMapi;
class QWidget;
class WindowFolderRun;
class WindowWorker;

// What a folder run needs of the window that owns it.
class FolderRunHost {
public:
    // The parameters as they stand now: read on the worker for every file.
    virtual ConversionParams CurrentParams() const = 0;
    // The window is closing: no run starts any more.
    virtual bool Closing() const = 0;
    // On the window's thread once the run has ended: the window shows its picture again.
    virtual void FolderRunEnded() = 0;

protected:
    ~FolderRunHost() = default;
};

// "Ganzes Verzeichnis umwandeln" of the window: asks for the folders and options, shows how
// far the run is and runs it on the window's executor (see WindowFolderRun). Open, save as,
// mail and a second run wait until it has ended: the executor says so.
class CFolderRunController {
public:
    CFolderRunController(QWidget& window, FolderRunHost& host, ConversionExecutor& executor,
                         Conversion& conversion, CSimpleMapi& mail);

    // Asks with "Verzeichnis umwandeln", keeps what was chosen in `settings`, then runs the
    // source folder into the destination. `picturePath` is the picture open now.
    void Start(BatchMailSettings& settings, const QString& picturePath);
    // The progress window of the run under way, or null.
    CBatchProgressDlg* Progress() const { return m_progress.data(); }

private:
    // The run's thread on the window's executor: the folder converted; the executor tells the
    // window that the run has ended.
    static void BatchThreadProc(WindowWorker& worker, WindowFolderRun& run);
    void End();

    QWidget& m_window;
    FolderRunHost& m_host;
    ConversionExecutor& m_executor;
    Conversion& m_conversion;
    CSimpleMapi& m_mail;
    QPointer<CBatchProgressDlg> m_progress;
};
