#include "SendPicture.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "MailProvider.h"
#include "SimpleMapi.h"
#include "platform/FileOps.h"
#include "platform/Prompts.h"
#include "platform/TempFolder.h"
#include "workflow/ConversionTexts.h"
#include "workflow/WindowWorker.h"

namespace {

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

void TellNotConverted(const QString& reason) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"),
         QStringLiteral("Das Bild konnte nicht für die Mail umgewandelt werden.\n") + reason,
         MessageButtons::Ok, MessageIcon::Warning});
}

}  // namespace

CSendPicture::CSendPicture(PictureMailHost& host, CSimpleMapi& mail, WindowWorker& worker,
                           const BatchMailSettings& settings)
    : m_host(host), m_mail(mail), m_worker(worker), m_settings(settings) {}

void CSendPicture::Send(const QString& picturePath) {
    if (m_pending || m_worker.Running()) {
        m_host.TellBusy();
        return;
    }
    const MailPicture picture = MailPicture::For(picturePath);
    if (picture.path.isEmpty()) {
        TellNotConverted(QStringLiteral("Im Ordner für Arbeitsdateien lässt sich nichts anlegen."));
        return;
    }
    m_pending = true;
    m_host.ConvertForMail(
        picturePath, picture.path, [this, picture](const ConversionResult& result) {
            m_pending = false;
            if (result.target.isEmpty()) {
                picture.Remove(false);  // nothing was written: an older file of the name stays
                TellNotConverted(FailureReason(result));
                return;
            }
            const QString subject = m_settings.mailSubject;
            const QString text = m_settings.mailText;
            CSimpleMapi& mail = m_mail;
            const auto send = [&mail, picture, subject, text](WindowWorker& worker) {
                const MailWaitInterrupt interrupt([&worker] { return worker.Cancelled(); });
                {
                    const auto message = mail.Lock();
                    mail.ClearAttachments();
                    mail.AddAttachment(picture.path, static_cast<ULONG>(-1));
                    mail.SendMail(subject, text);
                }
                picture.Remove(true);
            };
            if (m_host.Closing()) {
                picture.Remove(true);
            } else if (const auto started = m_worker.Start(send);
                       started != WindowWorker::StartResult::Started) {
                picture.Remove(true);
                if (started == WindowWorker::StartResult::Busy) {
                    m_host.TellBusy();
                }
            }
        });
}
