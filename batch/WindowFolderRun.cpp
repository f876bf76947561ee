#include "WindowFolderRun.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>

#include <unistd.h>

#include "FolderRun.h"
#include "FolderRunTexts.h"
#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "platform/emulation/Prompts.h"
#include "platform/processes/Memory.h"
#include "workflow/BackgroundConversion.h"
#include "workflow/Conversion.h"
#include "workflow/WindowWorker.h"

WindowFolderRun::WindowFolderRun(Window window, BatchMailSettings settings, QString picturePath)
    : m_window(std::move(window)),
      m_settings(std::move(settings)),
      m_picturePath(std::move(picturePath)) {}

namespace {

// What keeps a run from starting at all, in German; empty when it can go. Said once, before
// any picture is tried: a destination that cannot be written would otherwise fail every
// picture by itself, and a source without pictures would end in "all converted".
QString Obstacle(const QString& source, const FolderPictures& listing, const QString& destination) {
    const QString shownSource = QDir::toNativeSeparators(source);
    if (!QFileInfo(source).isDir()) {
        return FolderRunTexts::NoSuchFolder(shownSource);
    }
    if (!listing.error.isEmpty()) {
        const QFileInfo folder(source);
        return FolderRunTexts::FolderUnreadable(shownSource,
                                                folder.isReadable() && folder.isExecutable()
                                                    ? listing.error
                                                    : FolderRunTexts::NoReadPermission());
    }
    if (listing.pictures.isEmpty() && listing.skipped.empty()) {
        return FolderRunTexts::NoPictures(shownSource, FolderPatterns());
    }
    const QString shownDestination = QDir::toNativeSeparators(destination);
    if (!QFileInfo(destination).isDir()) {
        return FolderRunTexts::NoSuchDestination(shownDestination);
    }
    if (::access(QFile::encodeName(destination).constData(), W_OK | X_OK) != 0) {
        ConversionResult refused;
        refused.failure = ConversionFailure::CannotWrite;
        refused.systemError = errno;
        return FolderRunTexts::DestinationNotWritable(shownDestination, FailureReason(refused));
    }
    return {};
}

}  // namespace

void WindowFolderRun::ConvertFolder(WindowWorker& worker) {
    const FolderPictures listing = ListFolderPictures(m_settings.sourceFolder);
    if (const QString obstacle =
            Obstacle(m_settings.sourceFolder, listing, m_settings.destinationFolder);
        !obstacle.isEmpty()) {
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"),
             FolderRunTexts::NothingConverted(obstacle, m_settings.sendByMail), MessageButtons::Ok,
             MessageIcon::Warning});
        return;
    }
    // Nothing of the window's own previews slips between a file's preview, its question and
    // its conversion; they catch up when the run is over.
    m_window.background.HoldPreviews(true);
    // Held only while the run lasts, also when it fails on its way.
    struct Release {
        BackgroundConversion& background;
        ~Release() { background.HoldPreviews(false); }
    } release{m_window.background};
    CSimpleMapi& mail = m_window.mail;
    // The run's mail is one message from the first attachment to the send.
    std::unique_lock<std::recursive_mutex> message;
    if (m_settings.sendByMail) {
        message = mail.Lock();
        mail.ClearAttachments();
    }
    FolderRunSteps steps;
    steps.convertFile = [&](const QString& file) { return ConvertFolderFile(worker, file); };
    steps.progress = [&](qsizetype done, qsizetype total, const QString& next) {
        PostProgress(worker, done, total, next);
    };
    steps.cancelled = [&] { return m_declined || worker.Cancelled(); };
    const FolderRunReport report = RunFolder(m_settings.sourceFolder, listing, steps);
    m_window.background.HoldPreviews(false);
    ReturnFreedMemory();

    if (report.cancelled) {
        if (m_settings.sendByMail) {
            mail.ClearAttachments();
        }
        return;
    }
    // Without a mail the end is always told; with one, only what the mail does not show.
    const bool problems = FolderRunTexts::HasProblems(report);
    if (!m_settings.sendByMail || problems || !report.skipped.empty()) {
        CurrentPrompts().ShowMessage(
            {QStringLiteral("Plenmar"), FolderRunTexts::EndReport(report, m_settings.sendByMail),
             MessageButtons::Ok, problems ? MessageIcon::Warning : MessageIcon::None});
    }
    if (m_settings.sendByMail) {
        const MailWaitInterrupt interrupt([&worker] { return worker.Cancelled(); });
        mail.SendMail(m_settings.mailSubject, m_settings.mailText);
    }
}

std::optional<ConversionResult> WindowFolderRun::ConvertFolderFile(WindowWorker& worker,
                                                                   const QString& file) {
    const ConversionParams params = m_window.params();
    if (m_settings.askPerFile) {
        // The title names the file asked about, not the picture open before the run.
        const ConversionResult preview = m_window.conversion.Run({.params = params,
                                                                  .picture = file,
                                                                  .currentPicture = file,
                                                                  .sampleUse = SampleUse::Never});
        // A picture that cannot be shown cannot be converted either: nothing to ask about.
        if (NothingToShow(preview)) {
            return preview;
        }
        switch (worker.Ask({QStringLiteral("Plenmar"), FolderRunTexts::AskConvertFile(),
                            MessageButtons::YesNoCancel, MessageIcon::Question})) {
            case Answer::Yes:
                break;
            case Answer::Cancel:
                m_declined = true;
                return std::nullopt;
            default:
                return std::nullopt;
        }
    }
    ConversionResult result =
        ConvertIntoFolder(m_window.conversion, params, file, m_settings.destinationFolder);
    if (!result.target.isEmpty() && m_settings.sendByMail) {
        m_window.mail.AddAttachment(result.target, static_cast<ULONG>(-1));
    }
    return result;
}

void WindowFolderRun::PostProgress(WindowWorker& worker, qsizetype done, qsizetype total,
                                   const QString& next) {
    {
        std::lock_guard lock(m_progressLock);
        m_done = done;
        m_total = total;
        m_next = next;
        // One update on its way at a time: the window shows the newest when it gets to it.
        if (m_progressPosted) {
            return;
        }
        m_progressPosted = true;
    }
    worker.Post([run = shared_from_this()] {
        qsizetype shownDone = 0;
        qsizetype shownTotal = 0;
        QString shownNext;
        {
            std::lock_guard lock(run->m_progressLock);
            run->m_progressPosted = false;
            shownDone = run->m_done;
            shownTotal = run->m_total;
            shownNext = run->m_next;
        }
        if (run->m_window.progress) {
            run->m_window.progress(shownDone, shownTotal, shownNext);
        }
    });
}
