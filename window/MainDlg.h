#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "PreviewPane.h"
#include "batch/FolderRunController.h"
#include "mail/SendPicture.h"
#include "mail/SimpleMapi.h"
#include "workflow/ControlPanel.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionExecutor.h"
#include "workflow/ConversionView.h"
#include "workflow/MainSettings.h"
#include "workflow/SettingsStore.h"

class QScrollBar;

// The main window: shows the converted picture at its real pixel size, scrolled when it is
// larger than the window, and carries the commands. Conversions run in the background; the
// window paints the last finished preview and never waits for one.
class CMainDlg : public QDialog,
                 private ConversionView,
                 private FolderRunHost,
                 private PictureMailHost {
    Q_OBJECT
public:
    // `mailLibrary` names the mail provider (tests record what is sent with one of theirs).
    explicit CMainDlg(QWidget* parent = nullptr, const char* mailLibrary = "MAPI32.DLL");
    ~CMainDlg() override;

    // Told on the window's thread what a run produced.
    using Completion = std::function<void(const ConversionResult&)>;

    // Converts a picture with the current settings in the background; see
    // Conversion::Recompute. `done` hears of the result on the window's thread.
    void Recompute(const QString& picturePath, const QString& outputFolder,
                   const QString& outputName, Completion done = {});
    // The control panel's one entry; `kind` is one of ParamChange (ControlPanel.h).
    void OnParamChange(int value, int kind);
    void SetTargetSize(int size);
    // The arguments the program was started with, after its name; see ProcessCommandLine.
    void SetCommandLine(const QStringList& arguments) { m_commandLine = arguments; }
    // Opens what the command line names, once the window and its panel are shown: "/V" (or
    // "/v") as an argument of its own and a folder open "Verzeichnis umwandeln" for that
    // folder; other arguments, joined by blanks, are a picture to open.
    void ProcessCommandLine();
    // The command line of a later start of the program: opened as ProcessCommandLine opens it,
    // and the window comes to the front. While a dialog or message box is open, it waits for
    // it to close: the open dialog's work stays as the user began it.
    void TakeCommandLine(const QStringList& arguments);
    // Files dropped on the window or its panel: one picture is opened, one folder opens
    // "Verzeichnis umwandeln" for it, several pictures (or folders) are converted beside
    // themselves with the current settings.
    void OnDropFiles(const QStringList& files);

    // The parameters as they stood when the last change settled (a full run, a new picture):
    // what another thread may read.
    ConversionParams CurrentParams() const override;
    // Makes a settled change that asks for no refresh (the resolution) visible to other
    // threads at once.
    void PublishParams();

    void OnOpen();
    void OnSaveAs();
    void ShowAbout();
    // "Mail Setup": the subject and text of every mail.
    void OnMailSetup();
    // Converts the open picture into "<TEMP>/<name>.jpg" and hands it to the mail program
    // from the worker, so the window stays usable while the mail program is open.
    void OnSendByMail();
    // "Ganzes Verzeichnis umwandeln": asks for the folders and options, then converts the
    // source folder into the destination on the window's worker, showing each picture and
    // how far the run is. Open, save as, mail and a second run wait until it has ended.
    void OnConvertFolder();
    bool FolderRunning() { return m_executor.Doing(ConversionExecutor::Work::FolderRun); }
    // The progress window of the run under way, or null.
    CBatchProgressDlg* FolderProgress() const { return m_folderRun.Progress(); }

    // How the window makes its control panel when it starts; without one it has none.
    void SetControlPanelFactory(ControlPanelFactory factory) {
        m_panelFactory = std::move(factory);
    }
    ControlPanel* Panel() const { return m_panel; }

    // A scroll request from a bar: code as in ScrollCode, with the thumb's position.
    void OnHScroll(int code, int position, QScrollBar* bar);
    void OnVScroll(int code, int position, QScrollBar* bar);

    // Waits for the conversions asked for so far and delivers what they report.
    void WaitForConversions();

    const ConversionParams& Params() const { return m_params; }
    ConversionParams& Params() { return m_params; }
    const QString& PicturePath() const { return m_picturePath; }
    const Conversion& Converter() const { return m_conversion; }
    const SettingsStore& Settings() const { return m_settings; }
    // Long tasks of the window (a folder run) and the conversions they share.
    WindowWorker& Worker() { return m_executor.Worker(); }
    Conversion& Converter() { return m_conversion; }
    BackgroundConversion& Background() { return m_executor.Background(); }
    // Where the window's work runs, and whether it is busy.
    ConversionExecutor& Executor() { return m_executor; }
    // The one mail client of the window; see CSimpleMapi for sending from the worker.
    CSimpleMapi& MailClient() { return m_mail; }
    const BatchMailSettings& BatchMail() const { return m_batchMail; }
    int ScrollX() const { return m_preview.ScrollX(); }
    int ScrollY() const { return m_preview.ScrollY(); }

    void setVisible(bool visible) override;
    void done(int result) override;
    // Writes the settings now, as closing would, and keeps the window open: what the end of
    // a desktop session asks before it ends the program.
    void StoreSettings();

protected:
    bool OnInitDialog();
    bool DestroyWindow();
    void OnOK() {}
    void OnSize();
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // "/V FOLDER" and a dropped folder: "Verzeichnis umwandeln" with it as the source.
    void ConvertFolderFrom(const QString& folder);
    // What conversions report, forwarded to the window's own thread.
    void InvalidatePreview() override;
    void Converted(const ConversionRequest& request, const ConversionResult& result) override;
    void PreviewNotWritten(const ConversionResult& result) override;

    // Shows `path` (the sample when empty). A picture that cannot be read leaves the one
    // that was open, and is told when `tellFailure` says so.
    void OpenPicture(const QString& path, bool tellFailure);
    // Takes the command lines handed over meanwhile, unless a dialog is open.
    void TakeHeldCommandLines();
    // Whether a dialog or message box of the program's is open.
    bool DialogOpen() const;

    WindowPlacement Placement() const;

    // What the folder run and the send-picture command ask of the window.
    bool Closing() const override { return m_destroyed; }
    void FolderRunEnded() override;
    void ConvertForMail(const QString& picturePath, const QString& target,
                        std::function<void(const ConversionResult&)> done) override;
    // Tells the user that the command waits for the folder run or mail under way.
    void TellBusy() override;

    ConversionParams m_params;
    const QString m_previewPath;
    QStringList m_commandLine;
    BatchMailSettings m_batchMail;
    SettingsStore m_settings;
    QString m_picturePath;
    QIcon m_hIcon;
    // Until the panel is there, its information box is not written.
    ControlPanelFactory m_panelFactory;
    ControlPanel* m_panel = nullptr;
    std::atomic<bool> m_panelShown{false};  // the panel is shown: read by conversion threads
    bool m_initialised = false;
    bool m_destroyed = false;
    mutable std::mutex m_paramsLock;
    ConversionParams m_publishedParams;  // m_params as other threads may see it
    Conversion m_conversion;
    ConversionExecutor m_executor{this, m_conversion};
    PreviewPane m_preview{m_conversion, m_params};
    CSimpleMapi m_mail;
    bool m_previewFailureTold = false;
    // A stored picture that could not be shown at the start (a USB stick not plugged in):
    // written back at the end unless another picture was opened meanwhile.
    QString m_unshownStoredPicture;
    // The size and box of the last full run of a size worth keeping: what is stored when the
    // window closes on a half-typed size.
    int m_keptSize = 368;
    int m_keptCompanion = 480;
    std::deque<QStringList> m_heldCommandLines;
    QTimer m_heldCommandTimer;
    CFolderRunController m_folderRun{*this, *this, m_executor, m_conversion, m_mail};
    CSendPicture m_sendPicture{*this, m_mail, m_executor, m_batchMail};
};
