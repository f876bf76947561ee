#include "ChosenCommand.h"

#include <QDir>
#include <QThread>
#include <map>

#include "batch/ChosenPicturesRun.h"
#include "batch/FolderRunTexts.h"
#include "mail/SimpleMapi.h"
#include "platform/FileOps.h"
#include "platform/PrivateFolder.h"
#include "platform/Prompts.h"
#include "workflow/ConversionTexts.h"
#include "workflow/MainSettings.h"
#include "workflow/SettingsStore.h"

namespace {

// The pictures of one mail, in a new folder only this user may enter, as the window's send
// makes them; removed with what is in it once the mail is handed over (the mail client keeps
// copies of its own).
class MailPictures {
public:
    MailPictures() : m_path(NewPrivateFolder(QStringLiteral("send"))) {}
    ~MailPictures() {
        if (!m_path.isEmpty()) {
            QDir(m_path).removeRecursively();
        }
    }
    MailPictures(const MailPictures&) = delete;
    MailPictures& operator=(const MailPictures&) = delete;
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};

void Tell(const QString& text) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"), text, MessageButtons::Ok, MessageIcon::Warning});
}

}  // namespace

std::optional<ChosenAction> ChosenActionOf(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    if (arguments.front() == QLatin1String("--shrink")) {
        return ChosenAction::Shrink;
    }
    if (arguments.front() == QLatin1String("--mail")) {
        return ChosenAction::Mail;
    }
    return std::nullopt;
}

int RunChosenAction(ChosenAction action, const QStringList& paths, CSimpleMapi& mail) {
    const SettingsStore store;
    const ConversionParams params = StoredConversionParams(store);
    const ChosenPictures chosen = ExpandChosen(paths);
    const bool mailing = action == ChosenAction::Mail;

    std::optional<MailPictures> staging;
    if (mailing) {
        staging.emplace();
        if (staging->Path().isEmpty()) {
            Tell(
                QStringLiteral("Die Bilder konnten nicht für die Mail umgewandelt werden.\n"
                               "Im Ordner für Arbeitsdateien lässt sich nichts anlegen."));
            return 1;
        }
    }
    // Pictures of one name from different folders go into folders of their own in the mail's:
    // one result must not replace another.
    std::map<QString, QString> mailFolderOf;
    if (mailing) {
        std::map<QString, int> seen;
        for (const QString& file : chosen.files) {
            const int count = ++seen[ConversionTexts::BaseName(file)];
            QString folder = staging->Path();
            if (count > 1) {
                folder += QLatin1Char('/') + QString::number(count);
                QDir().mkpath(folder);
            }
            mailFolderOf.emplace(file, folder);
        }
    }
    const auto destinationOf = [&](const QString& file) {
        return mailing ? mailFolderOf.at(file) : FolderOf(file);
    };
    const FolderRunReport report =
        RunChosenPictures(chosen, params, destinationOf, QThread::idealThreadCount(), nullptr);
    if (report.cancelled) {
        return 1;
    }
    if (FolderRunTexts::HasProblems(report)) {
        Tell(FolderRunTexts::EndReport(report, mailing));
    }
    if (mailing && report.Converted() > 0) {
        BatchMailSettings settings;
        ConversionParams ignored;
        QString picture;
        WindowPlacement placement;
        LoadSettings(store, ignored, picture, settings, placement, QSize(1024, 768));
        const auto message = mail.Lock();
        mail.ClearAttachments();
        for (const FolderRunFile& file : report.files) {
            if (file.Converted()) {
                mail.AddAttachment(file.result.target, static_cast<ULONG>(-1));
            }
        }
        if (mail.SendMail(settings.mailSubject, settings.mailText) != 0) {
            return 1;
        }
    }
    return report.failed.empty() ? 0 : 1;
}
