#include "MainDlg.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <algorithm>

#include "AboutDlg.h"
#include "FileDrops.h"
#include "PreviewPane.h"
#include "WindowGeometry.h"
#include "WindowPrompts.h"
#include "batch/FolderRunTexts.h"
#include "mail/MailSetupDlg.h"
#include "platform/files/FileOps.h"
#include "platform/files/TempFolder.h"
#include "platform/widgets/DialogTemplate.h"
#include "workflow/ConversionTexts.h"
#include "workflow/WindowTexts.h"

namespace {

constexpr int kTemplate = 130;

QRect ScreenRect() {
    return ScreenRect(QGuiApplication::primaryScreen());
}

QSize ScreenSize() {
    return ScreenRect().size();
}

QString PreviewPathIn(const QString& folder) {
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Temppic.jpg");
}

int CommandLineThreadProc(CMainDlg* window) {
    window->ProcessCommandLine();
    return 1;
}

}  // namespace

CMainDlg::CMainDlg(QWidget* parent, const char* mailLibrary)
    : QDialog(parent),
      m_previewPath(PreviewPathIn(PrivateTempFolder())),
      m_hIcon(QStringLiteral(":/ICON/128.png")),
      m_conversion(m_previewPath, this, ScreenSize()),
      m_mail(mailLibrary) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        ApplyDialogTemplate(*this, *dialogTemplate, PreviewPane::MakeControl);
    }
    // The program's own window, which task bars show with its icon: an ordinary top-level
    // window, not a dialog belonging to none.
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    m_preview.Bind(*this);
    setAcceptDrops(true);
    // Standard shortcuts for the commands, whichever window shows the menu.
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &CMainDlg::OnOpen);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &CMainDlg::OnSaveAs);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CMainDlg::ShowAbout);
    m_heldCommandTimer.setInterval(200);
    connect(&m_heldCommandTimer, &QTimer::timeout, this, &CMainDlg::TakeHeldCommandLines);
}

CMainDlg::~CMainDlg() {
    // The panel's controls write into this window: they go before anything of it does.
    delete m_panel;
    m_panel = nullptr;
    m_executor.Stop();
}

void CMainDlg::setVisible(bool visible) {
    if (visible && !m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
    // The panel is shown once this window is, so that it lies above the window it belongs to.
    if (visible && m_panel != nullptr && !m_panelShown) {
        m_panel->Widget().show();
        m_panelShown = true;
    }
}

bool CMainDlg::OnInitDialog() {
    m_params.Orientation = 0;
    setWindowIcon(m_hIcon);
    WindowPlacement window;
    LoadSettings(m_settings, m_params, m_picturePath, m_batchMail, window, ScreenSize());
    m_keptSize = m_params.TargetSize;
    m_keptCompanion = m_params.CompanionSize;
    window = FitToScreen(window, ScreenRect());
    // The rectangle is the window's position and the size of its inside: what it was
    // stored as, so a start without changes gives the same window again.
    PlaceWindow(*this, window);
    PublishParams();
    // A stored picture that is gone is not worth a word at start: the sample shows instead.
    OpenPicture(m_picturePath, false);
    if (m_panelFactory) {
        m_panel = m_panelFactory(*this);
        m_panel->SetLinks(&m_params.Quality, this, &m_params.TargetSize);
        m_panel->InitControls();  // shown with this window, in setVisible
    }
    // The command line's turn comes once both windows are shown.
    QMetaObject::invokeMethod(
        this, [this] { CommandLineThreadProc(this); }, Qt::QueuedConnection);
    m_preview.ScrollHome();
    OnSize();
    return false;
}

WindowPlacement CMainDlg::Placement() const {
    return PlacementOf(*this);
}

void CMainDlg::done(int result) {
    DestroyWindow();
    QDialog::done(result);
}

bool CMainDlg::DestroyWindow() {
    if (m_destroyed || !m_initialised) {
        return false;
    }
    m_destroyed = true;
    // A task waiting for an answer is answered with Cancel; named files still queued are
    // written, and their failures told, before the window goes. Nothing may write the preview
    // file after it is gone.
    m_executor.Stop();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_executor.RunPosted();
    m_executor.Worker().RunPosted();
    StoreSettings();
    if (m_panel != nullptr) {
        m_panel->Widget().hide();
    }
    RemoveFile(m_previewPath);
    m_conversion.ReleasePreview();
    return true;
}

void CMainDlg::StoreSettings() {
    if (m_panel != nullptr) {
        SavePanelPosition(m_settings, PlacementOf(m_panel->Widget()));
    }
    // "5" typed on the way to 500 is no size to start the file managers' actions with.
    ConversionParams stored = m_params;
    if (stored.TargetSize < kSmallestKeptSize) {
        stored.TargetSize = m_keptSize;
        stored.CompanionSize = m_keptCompanion;
    }
    SaveSettings(m_settings, stored,
                 m_picturePath.isEmpty() ? m_unshownStoredPicture : m_picturePath, m_batchMail,
                 Placement());
    m_settings.Flush();
}

void CMainDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();  // Enter never closes the window
        return;
    }
    QDialog::keyPressEvent(event);
}

void CMainDlg::Recompute(const QString& picturePath, const QString& outputFolder,
                         const QString& outputName, Completion done) {
    m_executor.Recompute({.params = m_params,
                          .picture = picturePath,
                          .outputFolder = outputFolder,
                          .outputName = outputName,
                          .currentPicture = m_picturePath},
                         std::move(done));
}

void CMainDlg::OnParamChange(int value, int kind) {
    // Other threads (a folder run) see a change once it settles, with the full run it brings:
    // a size typed digit by digit ("2", "20", "200") must not convert a picture at 5 pixels.
    switch (kind) {
        case kSizeChanged:
            SetTargetSize(std::clamp(value, 5, 3000));
            break;
        case kQualityChanged:
            m_params.Quality = value;
            if (m_params.TargetSize >= kSmallestKeptSize) {
                m_keptSize = m_params.TargetSize;
                m_keptCompanion = m_params.CompanionSize;
            }
            PublishParams();
            Recompute(m_picturePath, {}, {});
            break;
        case kColoursChanged:
        case kPreviewRedrawn:
            m_executor.QuickPreview(m_params);
            break;
        default:
            break;
    }
}

void CMainDlg::SetTargetSize(int size) {
    m_conversion.SetTargetSize(m_params, size);
    m_preview.UpdateScrollBars();
}

void CMainDlg::PublishParams() {
    std::lock_guard lock(m_paramsLock);
    m_publishedParams = m_params;
}

ConversionParams CMainDlg::CurrentParams() const {
    std::lock_guard lock(m_paramsLock);
    return m_publishedParams;
}

void CMainDlg::WaitForConversions() {
    m_executor.WaitIdle();
    QCoreApplication::sendPostedEvents(this);
    m_executor.RunPosted();
}

void CMainDlg::OnOpen() {
    if (FolderRunning()) {
        TellBusy();
        return;
    }
    const std::optional<QString> chosen = AskPictureToOpen(m_picturePath);
    if (!chosen) {
        return;
    }
    OpenPicture(*chosen, true);
}

void CMainDlg::OpenPicture(const QString& path, bool tellFailure) {
    const QString previous = m_picturePath;
    m_picturePath = path;
    setWindowTitle(path.isEmpty() ? ConversionTexts::SampleName()
                                  : ConversionTexts::FileName(path));
    Recompute(path, {}, {}, [this, path, previous, tellFailure](const ConversionResult& result) {
        if (!result.target.isEmpty()) {
            // The box the preview is laid out in follows the picture drawn, not the
            // proportions of whatever was shown before.
            SetTargetSize(m_params.TargetSize);
            if (!path.isEmpty()) {
                m_unshownStoredPicture.clear();
            }
            return;
        }
        if (!NothingToShow(result) || m_picturePath != path || path.isEmpty()) {
            return;  // the preview file's own trouble is told apart; a later picture won
        }
        // The picture that was open stays; with none, the sample, titled as such. Its title
        // is back before the message is read. A stored picture that is not there now (on a
        // stick not plugged in) is still the one to start with next time.
        if (path == previous) {
            m_unshownStoredPicture = path;
        }
        OpenPicture(path == previous ? QString() : previous, false);
        if (tellFailure) {
            TellCannotOpen(path, result);
        }
    });
}

void CMainDlg::OnSaveAs() {
    if (FolderRunning()) {
        TellBusy();
        return;
    }
    // Never the open picture itself: Enter would replace the original with its small copy.
    // What is saved is the picture the proposal was made for, whatever happens while the
    // dialog is open.
    const QString picture = m_picturePath;
    const QString proposal = SaveAsProposal(picture, *m_conversion.Preview());
    const std::optional<QString> chosen = AskSaveTarget(proposal, picture);
    if (!chosen) {
        return;
    }
    Recompute(picture, {}, *chosen, [target = *chosen](const ConversionResult& result) {
        if (result.target.isEmpty()) {
            TellNotSaved(target, result);
        }
    });
}

void CMainDlg::ProcessCommandLine() {
    // Only a whole argument is the switch: /var/... and ~/Videos/... are pictures' paths.
    qsizetype at = m_commandLine.indexOf(QStringLiteral("/V"));
    if (at < 0) {
        at = m_commandLine.indexOf(QStringLiteral("/v"));
    }
    if (at >= 0) {
        const QString folder = m_commandLine.mid(at + 1).join(QLatin1Char(' ')).trimmed();
        if (folder.isEmpty()) {
            return;
        }
        ConvertFolderFrom(folder);
        return;
    }
    const QString picture = m_commandLine.join(QLatin1Char(' '));
    if (picture.isEmpty()) {
        return;
    }
    OpenPicture(picture, true);
    setWindowTitle(picture);  // as given, until the conversion titles it with its size
}

void CMainDlg::TakeCommandLine(const QStringList& arguments) {
    if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
    m_heldCommandLines.push_back(arguments);
    TakeHeldCommandLines();
}

bool CMainDlg::DialogOpen() const {
    // The window itself runs modally for the program's whole life: only what opens over it
    // counts.
    const QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal != this;
}

void CMainDlg::TakeHeldCommandLines() {
    // A picture handed over under "Speichern unter" would be saved under the name proposed
    // for another; a folder under "Verzeichnis umwandeln" would open a second one inside it.
    while (!m_heldCommandLines.empty() && !DialogOpen()) {
        const QStringList arguments = std::move(m_heldCommandLines.front());
        m_heldCommandLines.pop_front();
        if (FolderRunning()) {
            if (!arguments.isEmpty()) {
                TellBusy();
            }
            continue;
        }
        m_commandLine = arguments;
        ProcessCommandLine();
    }
    if (m_heldCommandLines.empty()) {
        m_heldCommandTimer.stop();
    } else if (!m_heldCommandTimer.isActive()) {
        m_heldCommandTimer.start();
    }
}

void CMainDlg::ConvertFolderFrom(const QString& folder) {
    m_batchMail.sourceFolder = folder;
    if (m_panel != nullptr) {
        m_panel->OnConvertFolder();
    } else {
        OnConvertFolder();
    }
}

void CMainDlg::dragEnterEvent(QDragEnterEvent* event) {
    AcceptFileDrag(*event);
}

void CMainDlg::dropEvent(QDropEvent* event) {
    TakeFileDrop(*event, *this, [this](const QStringList& files) { OnDropFiles(files); });
}

void CMainDlg::OnDropFiles(const QStringList& files) {
    if (files.isEmpty()) {
        return;
    }
    if (FolderRunning()) {
        TellBusy();
        return;
    }
    if (files.size() == 1 && QFileInfo(files.front()).isDir()) {
        ConvertFolderFrom(files.front());
        return;
    }
    if (files.size() == 1) {
        OpenPicture(files.front(), true);  // as "Öffnen" opens it
        return;
    }
    // Several: small copies beside each, as a file manager's "Mit Plenmar verkleinern" makes
    // them, but with the settings in the panel now.
    ShrinkDroppedPictures(m_executor, files, CurrentParams(), this);
}

void CMainDlg::OnMailSetup() {
    CMailSetupDlg setup(this);
    setup.m_text = m_batchMail.mailText;
    setup.m_subject = m_batchMail.mailSubject;
    if (setup.DoModal() == QDialog::Accepted) {
        m_batchMail.mailText = setup.m_text;
        m_batchMail.mailSubject = setup.m_subject;
    }
}

void CMainDlg::OnSendByMail() {
    m_sendPicture.Send(m_picturePath);
}

void CMainDlg::ConvertForMail(const QString& picturePath, const QString& target,
                              std::function<void(const ConversionResult&)> done) {
    Recompute(picturePath, {}, target, std::move(done));
}

void CMainDlg::TellBusy() {
    Warn(FolderRunTexts::Busy(m_executor.Busy()));
}

void CMainDlg::OnConvertFolder() {
    m_folderRun.Start(m_batchMail, m_picturePath);
}

void CMainDlg::FolderRunEnded() {
    Recompute(m_picturePath, {}, {});
}

void CMainDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMainDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OnSize();
}

void CMainDlg::OnSize() {
    m_preview.LayOut(rect());
}

void CMainDlg::OnHScroll(int code, int position, QScrollBar* bar) {
    m_preview.OnHScroll(code, position, bar);
}

void CMainDlg::OnVScroll(int code, int position, QScrollBar* bar) {
    m_preview.OnVScroll(code, position, bar);
}

void CMainDlg::InvalidatePreview() {
    m_executor.Post([this] { m_preview.UpdateScrollBars(); });
}

void CMainDlg::Converted(const ConversionRequest& request, const ConversionResult& result) {
    const QString title = WindowTexts::Title(request, result);
    m_executor.Post([this, title] { setWindowTitle(title); });
    // The information box exists only once the control panel does.
    if (!m_panelShown) {
        return;
    }
    const QString information = WindowTexts::Information(request, result);
    m_executor.Post([this, information] {
        if (m_panel != nullptr) {
            m_panel->SetInfoText(information);
        }
    });
}

void CMainDlg::PreviewNotWritten(const ConversionResult& result) {
    m_executor.Post([this, result] {
        // Every change would tell it again; once is enough to know what is wrong.
        if (m_previewFailureTold) {
            return;
        }
        m_previewFailureTold = true;
        TellPreviewNotWritten(m_previewPath, result);
    });
}
