#include "ChosenCommand.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <map>

#include "batch/ChosenPicturesRun.h"
#include "batch/FolderRunTexts.h"
#include "mail/SimpleMapi.h"
#include "platform/FileOps.h"
#include "platform/Prompts.h"
#include "workflow/ConversionTexts.h"
#include "workflow/MainSettings.h"
#include "workflow/SettingsStore.h"

namespace {

// A folder only this user can enter, for the pictures of one mail: mail programs read them
// after the hand-off, and other users of the machine must not. Removed with its content when
// the mail has been handed over (the mail client keeps copies of its own).
std::optional<QTemporaryDir> PrivateMailStagingFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                         QStringLiteral("/plenmar");
    if (!QDir().mkpath(base)) {
        return std::nullopt;
    }
    // QTemporaryDir makes its folder with the owner's rights alone.
    std::optional<QTemporaryDir> folder(std::in_place, base + QStringLiteral("/chosen-XXXXXX"));
    if (!folder->isValid()) {
        return std::nullopt;
    }
    return folder;
}

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

    std::optional<QTemporaryDir> staging;
    if (mailing) {
        staging = PrivateMailStagingFolder();
        if (!staging) {
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
            QString folder = staging->path();
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
