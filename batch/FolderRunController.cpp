#include "FolderRunController.h"

#include <QDir>

#include "ConvertDirDlg.h"
#include "FolderRunTexts.h"
#include "WindowFolderRun.h"
#include "platform/emulation/Prompts.h"
#include "workflow/ConversionExecutor.h"

namespace {

void TellBusy(ConversionExecutor& executor) {
    CurrentPrompts().ShowMessage({QStringLiteral("Plenmar"), FolderRunTexts::Busy(executor.Busy()),
                                  MessageButtons::Ok, MessageIcon::Warning});
}

}  // namespace

CFolderRunController::CFolderRunController(QWidget& window, FolderRunHost& host,
                                           ConversionExecutor& executor, Conversion& conversion,
                                           CSimpleMapi& mail)
    : m_window(window),
      m_host(host),
      m_executor(executor),
      m_conversion(conversion),
      m_mail(mail) {}

void CFolderRunController::Start(BatchMailSettings& settings, const QString& picturePath) {
    if (m_executor.Busy() != ConversionExecutor::Work::None) {
        TellBusy(m_executor);
        return;
    }
    CConvertDirDlg dialog(&m_window);
    dialog.m_askPerFile = settings.askPerFile;
    dialog.m_sendByMail = settings.sendByMail;
    dialog.m_sourceFolder = settings.sourceFolder;
    dialog.m_destinationFolder = settings.destinationFolder;
    if (dialog.DoModal() != QDialog::Accepted) {
        return;
    }
    settings.askPerFile = dialog.m_askPerFile;
    settings.sendByMail = dialog.m_sendByMail;
    settings.sourceFolder = dialog.m_sourceFolder;
    settings.destinationFolder = dialog.m_destinationFolder;
    // The folder proposed when none was kept is made once it is chosen, not at every start.
    if (settings.destinationFolder == ProposedDestinationFolder()) {
        QDir().mkpath(settings.destinationFolder);
    }
    // A mail may have started while the dialog was open.
    if (m_host.Closing() || m_executor.Busy() != ConversionExecutor::Work::None) {
        TellBusy(m_executor);
        return;
    }
    WindowFolderRun::Window uses{m_conversion, m_executor.Background(), m_mail,
                                 [this] { return m_host.CurrentParams(); },
                                 [this](qsizetype done, qsizetype total, const QString& next) {
                                     if (m_progress != nullptr) {
                                         m_progress->SetProgress(done, total, next);
                                     }
                                 }};
    auto run = std::make_shared<WindowFolderRun>(std::move(uses), settings, picturePath);
    m_progress = new CBatchProgressDlg(&m_window, [this] { m_executor.Cancel(); });
    m_progress->show();
    // Centred over the window it belongs to, where the eye is, as dialogs stand. (Where the
    // window system places windows itself, as Wayland's do, this changes nothing.)
    const QRect frame = m_progress->frameGeometry();
    m_progress->move(m_window.frameGeometry().center() -
                     QPoint(frame.width() / 2, frame.height() / 2));
    // However the run ends, the window learns of it and shows its picture again: a run that
    // threw must not leave the program waiting for it for ever.
    const auto started = m_executor.Start(
        ConversionExecutor::Work::FolderRun,
        [run](WindowWorker& worker) { BatchThreadProc(worker, *run); },
        [this] {
            End();
            m_host.FolderRunEnded();
        });
    if (started != ConversionExecutor::StartResult::Started) {
        End();
        if (started == ConversionExecutor::StartResult::Busy) {
            TellBusy(m_executor);
        }
    }
}

void CFolderRunController::BatchThreadProc(WindowWorker& worker, WindowFolderRun& run) {
    run.ConvertFolder(worker);
}

void CFolderRunController::End() {
    if (m_progress != nullptr) {
        m_progress->hide();
        m_progress->deleteLater();
        m_progress = nullptr;
    }
}
