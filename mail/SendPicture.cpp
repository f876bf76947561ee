#include "SendPicture.h"

#include <QDir>
#include <QFileInfo>

#include "MailProvider.h"
#include "SimpleMapi.h"
#include "platform/emulation/Prompts.h"
#include "platform/files/FileOps.h"
#include "platform/files/PrivateFolder.h"
#include "workflow/ConversionExecutor.h"
#include "workflow/ConversionTexts.h"

namespace {

// The converted picture a mail carries: "<name>.jpg", so that it goes out under the picture's
// own name, in a new folder of our own. Nothing else ever has that path: a file of the user's
// under the same name (in TEMP, or the open picture itself) is neither replaced nor deleted.
struct MailPicture {
    QString path;
    QString ownFolder;

    static MailPicture For(const QString& picturePath) {
        const QString name = (picturePath.isEmpty() ? ConversionTexts::SampleName()
                                                    : ConversionTexts::BaseName(picturePath)) +
                             QStringLiteral(".jpg");
        const QString folder = NewPrivateFolder(QStringLiteral("send"));
        if (folder.isEmpty()) {
            return {};
        }
        return {folder + QLatin1Char('/') + name, folder};
    }
    // Removes what the send made: the file, when it was written, and its folder.
    void Remove() const {
        RemoveFile(path);
        QDir().rmdir(ownFolder);
    }
};

void TellNotConverted(const QString& reason) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"),
         QStringLiteral("Das Bild konnte nicht für die Mail umgewandelt werden.\n") + reason,
         MessageButtons::Ok, MessageIcon::Warning});
}

}  // namespace

CSendPicture::CSendPicture(PictureMailHost& host, CSimpleMapi& mail, ConversionExecutor& executor,
                           const BatchMailSettings& settings)
    : m_host(host), m_mail(mail), m_executor(executor), m_settings(settings) {}

void CSendPicture::Send(const QString& picturePath) {
    if (m_executor.Busy() != ConversionExecutor::Work::None) {
        m_host.TellBusy();
        return;
    }
    const MailPicture picture = MailPicture::For(picturePath);
    if (picture.path.isEmpty()) {
        TellNotConverted(QStringLiteral("Im Ordner für Arbeitsdateien lässt sich nichts anlegen."));
        return;
    }
    m_executor.Claim(ConversionExecutor::Work::Mail);
    m_host.ConvertForMail(
        picturePath, picture.path, [this, picture](const ConversionResult& result) {
            m_executor.Release();
            if (result.target.isEmpty()) {
                picture.Remove();
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
                picture.Remove();
            };
            if (m_host.Closing()) {
                picture.Remove();
            } else if (const auto started = m_executor.Start(ConversionExecutor::Work::Mail, send);
                       started != ConversionExecutor::StartResult::Started) {
                picture.Remove();
                if (started == ConversionExecutor::StartResult::Busy) {
                    m_host.TellBusy();
                }
            }
        });
}
