#include "MainDlg.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTemporaryDir>
#include <algorithm>

#include "AboutDlg.h"
#include "ConversionTexts.h"
#include "PreviewLayout.h"
#include "batch/BatchProgressDlg.h"
#include "batch/ConvertDirDlg.h"
#include "batch/FolderRun.h"
#include "batch/FolderRunTexts.h"
#include "mail/MailProvider.h"
#include "mail/MailSetupDlg.h"
#include "platform/DialogTemplate.h"
#include "platform/FileOps.h"
#include "platform/Memory.h"
#include "platform/OwnerDrawnControl.h"
#include "platform/PostedCalls.h"
#include "platform/Prompts.h"
#include "platform/TempFolder.h"

namespace {

constexpr int kTemplate = 130;
constexpr int kPreviewControl = 1000;
constexpr int kHorizontalBar = 1002;
constexpr int kVerticalBar = 1003;

// A window's rectangle as stored: its position and the size of its inside, so that a start
// without changes gives the same window again.
WindowPlacement PlacementOf(const QWidget& window) {
    return {window.x(), window.y(), window.x() + window.width(), window.y() + window.height()};
}

QRect ScreenRect() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
}

QSize ScreenSize() {
    return ScreenRect().size();
}

// Scroll codes for what a Qt scroll bar was asked to do.
int CodeFor(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return ScrollCode::LineUp;
        case QAbstractSlider::SliderSingleStepAdd:
            return ScrollCode::LineDown;
        case QAbstractSlider::SliderPageStepSub:
            return ScrollCode::PageUp;
        case QAbstractSlider::SliderPageStepAdd:
            return ScrollCode::PageDown;
        case QAbstractSlider::SliderToMinimum:
            return ScrollCode::Top;
        case QAbstractSlider::SliderToMaximum:
            return ScrollCode::Bottom;
        case QAbstractSlider::SliderMove:
            return ScrollCode::ThumbTrack;
        default:
            return ScrollCode::EndScroll;
    }
}

void Tell(const QString& text) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"), text, MessageButtons::Ok, MessageIcon::Warning});
}

// The converted picture a mail carries: "<TEMP>/<name>.jpg", so that it goes out under the
// picture's own name. When that is the open picture itself, the same name goes into a folder
// of its own: the send would otherwise replace the user's picture and then delete it.
struct MailPicture {
    QString path;
    QString ownFolder;

    static MailPicture For(const QString& picturePath) {
        const QString name = ConversionTexts::BaseName(picturePath) + QStringLiteral(".jpg");
        MailPicture picture{TempFolder() + QLatin1Char('/') + name, {}};
        const QString canonical = QFileInfo(picture.path).canonicalFilePath();
        if (!canonical.isEmpty() && canonical == QFileInfo(picturePath).canonicalFilePath()) {
            QTemporaryDir folder(TempFolder() + QStringLiteral("/plenmar-XXXXXX"));
            if (!folder.isValid()) {
                return {};
            }
            folder.setAutoRemove(false);
            picture.ownFolder = folder.path();
            picture.path = folder.filePath(name);
        }
        return picture;
    }
    // Removes what the send made: the file when it was written, and the folder of its own.
    void Remove(bool written) const {
        if (written) {
            RemoveFile(path);
        }
        if (!ownFolder.isEmpty()) {
            QDir().rmdir(ownFolder);
        }
    }
};

QString NotConverted(const QString& reason) {
    return QStringLiteral("Das Bild konnte nicht für die Mail umgewandelt werden.\n") + reason;
}

int CommandLineThreadProc(CMainDlg* window) {
    window->ProcessCommandLine();
    return 1;
}

}  // namespace

CMainDlg::CMainDlg(QWidget* parent, const char* mailLibrary)
    : QDialog(parent),
      m_previewPath(TempFolder() + QStringLiteral("/Temppic.jpg")),
      m_hIcon(QStringLiteral(":/ICON/128.png")),
      m_posted(new PostedCalls(this)),
      m_conversion(m_previewPath, this, ScreenSize()),
      m_mail(mailLibrary) {
    if (const auto dialogTemplate = LoadDialogTemplate(kTemplate)) {
        ApplyDialogTemplate(*this, *dialogTemplate,
                            [](const ControlTemplate& control, QWidget* parent) -> QWidget* {
                                if (control.id == kPreviewControl) {
                                    return new OwnerDrawnControl(parent);
                                }
                                return nullptr;
                            });
    }
    BindControls();
    // Standard shortcuts for the commands, whichever window shows the menu.
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this,
            &CMainDlg::OnOpen);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this,
            &CMainDlg::OnSaveAs);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &CMainDlg::ShowAbout);
}

CMainDlg::~CMainDlg() {
    // The panel's controls write into this window: they go before anything of it does.
    delete m_panel;
    m_panel = nullptr;
    m_worker.Cancel();
    m_worker.Wait();
    m_background.Stop();
}

void CMainDlg::BindControls() {
    m_verticalBar = qobject_cast<QScrollBar*>(ControlById(*this, kVerticalBar));
    m_horizontalBar = qobject_cast<QScrollBar*>(ControlById(*this, kHorizontalBar));
    m_previewControl = qobject_cast<OwnerDrawnControl*>(ControlById(*this, kPreviewControl));
    if (m_previewControl != nullptr) {
        m_previewControl->SetDrawItem(
            [this](QPainter& painter, const QRect& item) { OnDrawItem(painter, item); });
    }
    for (QScrollBar* bar : {m_horizontalBar, m_verticalBar}) {
        if (bar == nullptr) {
            continue;
        }
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, bar](int action) {
            const int code = CodeFor(action);
            if (bar->orientation() == Qt::Horizontal) {
                OnHScroll(code, bar->sliderPosition(), bar);
            } else {
                OnVScroll(code, bar->sliderPosition(), bar);
            }
        });
    }
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
    window = FitToScreen(window, ScreenRect());
    // The rectangle is the window's position and the size of its inside: what it was
    // stored as, so a start without changes gives the same window again.
    move(window.left, window.top);
    resize(window.right - window.left, window.bottom - window.top);
    PublishParams();
    Recompute(m_picturePath, {}, {});
    if (m_panelFactory) {
        m_panel = m_panelFactory(*this);
        m_panel->SetLinks(&m_params.Quality, this, &m_params.TargetSize);
        m_panel->InitControls();  // shown with this window, in setVisible
    }
    // The command line's turn comes once both windows are shown.
    QMetaObject::invokeMethod(
        this, [this] { CommandLineThreadProc(this); }, Qt::QueuedConnection);
    m_scrollX = 0;
    m_scrollY = 0;
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
    m_worker.Cancel();
    m_worker.Wait();
    m_background.Stop();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_posted->RunAll();
    m_worker.RunPosted();
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
    SaveSettings(m_settings, m_params, m_picturePath, m_batchMail, Placement());
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
    BackgroundConversion::Completion reply;
    if (done) {
        reply = [this, done = std::move(done)](const ConversionResult& result) {
            m_posted->Post([done, result] { done(result); });
        };
    }
    m_background.Recompute(m_params, picturePath, outputFolder, outputName, m_picturePath,
                           std::move(reply));
}

void CMainDlg::OnParamChange(int value, int kind) {
    // Other threads (a folder run) see a change once it settles, with the full run it brings:
    // a size typed digit by digit ("2", "20", "200") must not convert a picture at 5 pixels.
    switch (kind) {
        case 0:
            SetTargetSize(std::clamp(value, 5, 3000));
            break;
        case 1:
            m_params.Quality = value;
            PublishParams();
            Recompute(m_picturePath, {}, {});
            break;
        case 2:
        case 3:
            m_background.QuickPreview(m_params);
            break;
        default:
            break;
    }
}

void CMainDlg::SetTargetSize(int size) {
    m_conversion.SetTargetSize(m_params, size);
    UpdateScrollBars();
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
    m_background.WaitIdle();
    QCoreApplication::sendPostedEvents(this);
    m_posted->RunAll();
}

void CMainDlg::OnOpen() {
    if (m_folderRunning) {
        TellBusy();
        return;
    }
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.defaultExtension = QStringLiteral("jpg");
    request.initialName = m_picturePath;
    request.options = FileDialogOption::HideReadOnly | FileDialogOption::OverwritePrompt |
                      FileDialogOption::NoChangeDir | FileDialogOption::Explorer;
    request.filter =
        QStringLiteral("Bilder (*.jpg;*.jpeg;*.jpe;*.gif;*.bmp)|*.jpg;*.jpeg;*.jpe;*.gif;*.bmp||");
    const std::optional<QString> chosen = CurrentPrompts().AskFileName(request);
    if (!chosen) {
        return;
    }
    m_picturePath = *chosen;
    setWindowTitle(ConversionTexts::FileName(m_picturePath));
    Recompute(m_picturePath, {}, {});
}

void CMainDlg::OnSaveAs() {
    if (m_folderRunning) {
        TellBusy();
        return;
    }
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.defaultExtension = QStringLiteral("jpg");
    request.initialName = m_picturePath;
    request.options = FileDialogOption::OverwritePrompt | FileDialogOption::HideReadOnly |
                      FileDialogOption::NoChangeDir;
    request.filter = QStringLiteral("Bilder (*.jpg)|*.jpg");
    const std::optional<QString> chosen = CurrentPrompts().AskFileName(request);
    if (!chosen) {
        return;
    }
    Recompute(m_picturePath, {}, *chosen, [target = *chosen](const ConversionResult& result) {
        if (result.target.isEmpty()) {
            CurrentPrompts().ShowMessage(
                {QStringLiteral("Plenmar"),
                 QStringLiteral("Das Bild konnte nicht als „%1“ gespeichert werden.\n%2")
                     .arg(target, FailureReason(result)),
                 MessageButtons::Ok, MessageIcon::Warning});
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
        m_batchMail.sourceFolder = folder;
        if (m_panel != nullptr) {
            m_panel->OnConvertFolder();
        } else {
            OnConvertFolder();
        }
        return;
    }
    const QString picture = m_commandLine.join(QLatin1Char(' '));
    if (picture.isEmpty()) {
        return;
    }
    m_picturePath = picture;
    setWindowTitle(picture);
    Recompute(m_picturePath, {}, {});
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
    if (m_mailPending || m_worker.Running()) {
        TellBusy();
        return;
    }
    const MailPicture picture = MailPicture::For(m_picturePath);
    if (picture.path.isEmpty()) {
        Tell(NotConverted(
            QStringLiteral("Im Ordner für Arbeitsdateien lässt sich nichts anlegen.")));
        return;
    }
    m_mailPending = true;
    Recompute(m_picturePath, {}, picture.path, [this, picture](const ConversionResult& result) {
        m_mailPending = false;
        if (result.target.isEmpty()) {
            picture.Remove(false);  // nothing was written: an older file of the name stays
            Tell(NotConverted(FailureReason(result)));
            return;
        }
        const QString subject = m_batchMail.mailSubject;
        const QString text = m_batchMail.mailText;
        const auto send = [this, picture, subject, text](WindowWorker& worker) {
            const MailWaitInterrupt interrupt([&worker] { return worker.Cancelled(); });
            {
                const auto message = m_mail.Lock();
                m_mail.ClearAttachments();
                m_mail.AddAttachment(picture.path, static_cast<ULONG>(-1));
                m_mail.SendMail(subject, text);
            }
            picture.Remove(true);
        };
        if (m_destroyed || !m_worker.Start(send)) {
            picture.Remove(true);
            if (!m_destroyed) {
                TellBusy();
            }
        }
    });
}

void CMainDlg::TellBusy() {
    Tell(FolderRunTexts::Busy());
}

// What the worker works with is copied on the window's thread when the run starts.
struct CMainDlg::BatchRun {
    BatchMailSettings settings;
    QString picturePath;
    bool declined = false;  // the user answered Cancel: only the worker touches it

    std::mutex progressLock;  // guards what follows
    qsizetype done = 0;
    qsizetype total = 0;
    QString next;
    bool progressPosted = false;
};

void CMainDlg::OnConvertFolder() {
    if (m_folderRunning || m_mailPending || m_worker.Running()) {
        TellBusy();
        return;
    }
    CConvertDirDlg dialog(this);
    dialog.m_askPerFile = m_batchMail.askPerFile;
    dialog.m_sendByMail = m_batchMail.sendByMail;
    dialog.m_sourceFolder = m_batchMail.sourceFolder;
    dialog.m_destinationFolder = m_batchMail.destinationFolder;
    if (dialog.DoModal() != QDialog::Accepted) {
        return;
    }
    m_batchMail.askPerFile = dialog.m_askPerFile;
    m_batchMail.sendByMail = dialog.m_sendByMail;
    m_batchMail.sourceFolder = dialog.m_sourceFolder;
    m_batchMail.destinationFolder = dialog.m_destinationFolder;
    // A mail may have started while the dialog was open.
    if (m_destroyed || m_mailPending || m_worker.Running()) {
        TellBusy();
        return;
    }
    auto run = std::make_shared<BatchRun>();
    run->settings = m_batchMail;
    run->picturePath = m_picturePath;
    m_folderRunning = true;
    m_progress = new CBatchProgressDlg(this, [this] { m_worker.Cancel(); });
    m_progress->show();
    // Over the window's lower right corner, off the picture, which is centred.
    const QRect window = frameGeometry();
    m_progress->move(window.right() - m_progress->frameGeometry().width() - 20,
                     window.bottom() - m_progress->frameGeometry().height() - 20);
    if (!m_worker.Start([this, run](WindowWorker& worker) { BatchThreadProc(worker, run); })) {
        EndFolderRun();
        TellBusy();
    }
}

int CMainDlg::BatchThreadProc(WindowWorker& worker, const std::shared_ptr<BatchRun>& run) {
    ConvertFolder(worker, run);
    worker.Post([this] {
        EndFolderRun();
        Recompute(m_picturePath, {}, {});
    });
    return 1;
}

void CMainDlg::EndFolderRun() {
    m_folderRunning = false;
    if (m_progress != nullptr) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
}

void CMainDlg::ConvertFolder(WindowWorker& worker, const std::shared_ptr<BatchRun>& run) {
    const BatchMailSettings& settings = run->settings;
    // Nothing of the window's own previews slips between a file's preview, its question and
    // its conversion; they catch up when the run is over.
    m_background.HoldPreviews(true);
    // The run's mail is one message from the first attachment to the send.
    std::unique_lock<std::recursive_mutex> message;
    if (settings.sendByMail) {
        message = m_mail.Lock();
        m_mail.ClearAttachments();
    }
    // A source folder that cannot be read gives a run without pictures, as an empty one does.
    const FolderPictures listing = ListFolderPictures(settings.sourceFolder);
    FolderRunSteps steps;
    steps.convertFile = [&](const QString& file) { return ConvertFolderFile(worker, *run, file); };
    steps.progress = [&](qsizetype done, qsizetype total, const QString& next) {
        PostFolderProgress(worker, run, done, total, next);
    };
    steps.cancelled = [&] { return run->declined || worker.Cancelled(); };
    const FolderRunReport report = RunFolder(settings.sourceFolder, listing, steps);
    m_background.HoldPreviews(false);
    ReturnFreedMemory();

    if (report.cancelled) {
        if (settings.sendByMail) {
            m_mail.ClearAttachments();
        }
        return;
    }
    const bool problems = FolderRunTexts::HasProblems(report);
    if (problems) {
        CurrentPrompts().ShowMessage({QStringLiteral("Plenmar"),
                                      FolderRunTexts::EndReport(report, settings.sendByMail),
                                      MessageButtons::Ok, MessageIcon::Warning});
    }
    if (settings.sendByMail) {
        const MailWaitInterrupt interrupt([&worker] { return worker.Cancelled(); });
        m_mail.SendMail(settings.mailSubject, settings.mailText);
    } else if (!problems) {
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"), FolderRunTexts::AllConverted(), MessageButtons::Ok});
    }
}

std::optional<ConversionResult> CMainDlg::ConvertFolderFile(WindowWorker& worker, BatchRun& run,
                                                            const QString& file) {
    // Read afresh for every file: changes in the panel reach the files still to come.
    const ConversionParams params = CurrentParams();
    if (run.settings.askPerFile) {
        const ConversionResult preview =
            m_conversion.Run(params, file, {}, {}, run.picturePath, SampleUse::Never);
        // A picture that cannot be shown cannot be converted either: nothing to ask about.
        if (preview.failure == ConversionFailure::Unreadable ||
            preview.failure == ConversionFailure::OutOfMemory) {
            return preview;
        }
        switch (worker.Ask({QStringLiteral("Plenmar"),
                            QStringLiteral("Möchten Sie diese Datei umwandeln?"),
                            MessageButtons::YesNoCancel, MessageIcon::Question})) {
            case Answer::Yes:
                break;
            case Answer::Cancel:
                run.declined = true;
                return std::nullopt;
            default:
                return std::nullopt;
        }
    }
    ConversionResult result =
        ConvertIntoFolder(m_conversion, params, file, run.settings.destinationFolder);
    if (!result.target.isEmpty() && run.settings.sendByMail) {
        m_mail.AddAttachment(result.target, static_cast<ULONG>(-1));
    }
    return result;
}

void CMainDlg::PostFolderProgress(WindowWorker& worker, const std::shared_ptr<BatchRun>& run,
                                  qsizetype done, qsizetype total, const QString& next) {
    {
        std::lock_guard lock(run->progressLock);
        run->done = done;
        run->total = total;
        run->next = next;
        // One update on its way at a time: the window shows the newest when it gets to it.
        if (run->progressPosted) {
            return;
        }
        run->progressPosted = true;
    }
    worker.Post([this, run] {
        qsizetype shownDone = 0;
        qsizetype shownTotal = 0;
        QString shownNext;
        {
            std::lock_guard lock(run->progressLock);
            run->progressPosted = false;
            shownDone = run->done;
            shownTotal = run->total;
            shownNext = run->next;
        }
        if (m_progress != nullptr) {
            m_progress->SetProgress(shownDone, shownTotal, shownNext);
        }
    });
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
    if (m_previewControl == nullptr || m_horizontalBar == nullptr || m_verticalBar == nullptr) {
        return;
    }
    const QRect client = rect();
    const int l = client.left();
    const int t = client.top();
    const int r = client.left() + client.width();
    const int b = client.top() + client.height();
    m_previewControl->setGeometry(l + 10, t + 10, r - l - 36, b - t - 36);
    m_horizontalBar->setGeometry(l + 10, b - 26, r - l - 36, 16);
    m_verticalBar->setGeometry(r - 26, t + 10, 16, b - t - 36);
    UpdateScrollBars();
}

void CMainDlg::UpdateScrollBars() {
    if (m_previewControl == nullptr || m_horizontalBar == nullptr || m_verticalBar == nullptr) {
        return;
    }
    const std::shared_ptr<const PreviewFrame> frame = m_conversion.Preview();
    const PreviewLayout layout =
        LayOutPreview(m_previewControl->size(), m_params.TargetSize, m_params.CompanionSize,
                      frame->pictureWidth, frame->pictureHeight, m_scrollX, m_scrollY);
    m_horizontalBar->setVisible(layout.HorizontalShown());
    m_horizontalBar->setRange(0, layout.horizontalRange);
    m_verticalBar->setVisible(layout.VerticalShown());
    m_verticalBar->setRange(0, layout.verticalRange);
    m_scrollX = layout.scrollX;
    m_scrollY = layout.scrollY;
    m_previewControl->update();
}

void CMainDlg::OnDrawItem(QPainter& painter, const QRect& item) {
    const std::shared_ptr<const PreviewFrame> frame = m_conversion.Preview();
    const PreviewLayout layout =
        LayOutPreview(item.size(), m_params.TargetSize, m_params.CompanionSize, frame->pictureWidth,
                      frame->pictureHeight, m_scrollX, m_scrollY);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(128, 128, 128));
    painter.drawRect(item.adjusted(0, 0, -1, -1));
    painter.drawImage(layout.destination, frame->image,
                      QRect(0, 0, frame->pictureWidth, frame->pictureHeight));
}

void CMainDlg::OnHScroll(int code, int position, QScrollBar* bar) {
    if (bar != nullptr && bar == m_horizontalBar) {
        Scroll(code, position, bar, m_scrollX);
    }
}

void CMainDlg::OnVScroll(int code, int position, QScrollBar* bar) {
    if (bar != nullptr) {
        Scroll(code, position, bar, m_scrollY);
    }
}

void CMainDlg::Scroll(int code, int position, QScrollBar* bar, int& offset) {
    const std::optional<int> next = ScrollTo(code, position, offset, bar->maximum());
    if (!next) {
        return;
    }
    offset = *next;
    bar->setSliderPosition(offset);
    if (m_previewControl != nullptr) {
        m_previewControl->update();
    }
}

void CMainDlg::InvalidatePreview() {
    m_posted->Post([this] { UpdateScrollBars(); });
}

void CMainDlg::SetTitle(const QString& title) {
    m_posted->Post([this, title] { setWindowTitle(title); });
}

bool CMainDlg::PanelExists() const {
    return m_panelShown;
}

void CMainDlg::SetInfoText(const QString& text) {
    m_posted->Post([this, text] {
        if (m_panel != nullptr) {
            m_panel->SetInfoText(text);
        }
    });
}
