#include "ChosenCommand.h"

#include <QDir>
#include <QThread>
#include <map>

#include "batch/ChosenPicturesRun.h"
#include "batch/FolderRunTexts.h"
#include "mail/SimpleMapi.h"
#include "platform/emulation/Prompts.h"
#include "platform/files/FileOps.h"
#include "platform/files/PrivateFolder.h"
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

namespace {

// What the action converts with, and what its mail says.
ShownValues ValuesToUse(const std::optional<ShownValues>& shown) {
    ShownValues values;
    if (shown) {
        values = *shown;
    } else {
        const SettingsStore store;
        BatchMailSettings mailSettings;
        ConversionParams ignored;
        QString picture;
        WindowPlacement placement;
        LoadSettings(store, ignored, picture, mailSettings, placement, QSize(1024, 768));
        values.params = StoredConversionParams(store);
        values.mailSubject = mailSettings.mailSubject;
        values.mailText = mailSettings.mailText;
    }
    // Shrinking for a file manager changes no colours and never enlarges.
    ConversionParams params;
    params.TargetSize = values.params.TargetSize;
    params.Quality = values.params.Quality;
    params.Resolution = values.params.Resolution;
    params.MaxKb = values.params.MaxKb;
    params.NeverEnlarge = 1;
    values.params = params;
    return values;
}

QString TooSmall(int size, bool fromWindow) {
    return QStringLiteral(
               "Es wurde nichts verkleinert: die %1 Größe von %2 Pixeln ist kleiner "
               "als %3 Pixel.\n%4")
        .arg(fromWindow ? QStringLiteral("eingestellte") : QStringLiteral("gespeicherte"))
        .arg(size)
        .arg(kSmallestKeptSize)
        .arg(fromWindow ? QStringLiteral("Stellen Sie im Fenster „Schnellstart“ die gewünschte "
                                         "Größe ein.")
                        : QStringLiteral("Starten Sie Vistrane und stellen Sie dort die "
                                         "gewünschte Größe ein."));
}

}  // namespace

int RunChosenAction(ChosenAction action, const QStringList& paths, CSimpleMapi& mail,
                    const std::optional<ShownValues>& shown) {
    const ShownValues values = ValuesToUse(shown);
    const ConversionParams& params = values.params;
    if (params.TargetSize < kSmallestKeptSize) {
        Tell(TooSmall(params.TargetSize, shown.has_value()));
        return 1;
    }
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
    const QString summary = FolderRunTexts::ChosenSummary(report, params, mailing);
    if (FolderRunTexts::HasProblems(report)) {
        Tell(summary + QStringLiteral("\n\n") + FolderRunTexts::EndReport(report, mailing));
    }
    if (mailing && report.Converted() > 0) {
        const auto message = mail.Lock();
        mail.ClearAttachments();
        for (const FolderRunFile& file : report.files) {
            if (file.Converted()) {
                mail.AddAttachment(file.result.target, static_cast<ULONG>(-1));
            }
        }
        if (mail.SendMail(values.mailSubject, values.mailText) != 0) {
            return 1;
        }
    }
    if (!FolderRunTexts::HasProblems(report)) {
        CurrentPrompts().Notify(FolderRunTexts::ChosenHeading(mailing), summary);
    }
    return report.failed.empty() ? 0 : 1;
}
