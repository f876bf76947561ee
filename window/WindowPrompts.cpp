#include "WindowPrompts.h"

#include <QDir>
#include <QFileInfo>

#include "batch/FolderListing.h"
#include "platform/emulation/Prompts.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionResult.h"
#include "workflow/ConversionTexts.h"

namespace {

// Every format the program reads first, then JPEG, GIF and BMP alone, then anything: a
// file of another name may still be a picture.
QString OpenFilter() {
    const QString all = FolderPatterns().join(QLatin1Char(';'));
    const QString classic = ClassicPatterns().join(QLatin1Char(';'));
    return QStringLiteral("Bilder (%1)|%1|Bilder (%2)|%2|Alle Dateien (*)|*||").arg(all, classic);
}

// Whether both name one existing file, also through links.
bool SameFile(const QString& a, const QString& b) {
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// Asks before a file is replaced, and says so when it is the open picture itself.
bool MayReplace(const QString& target, const QString& openPicture) {
    if (SameFile(target, openPicture)) {
        Message question{QStringLiteral("Plenmar"),
                         QStringLiteral("„%1“ ist das Originalbild, das gerade geöffnet ist.\n"
                                        "Möchten Sie das Original durch das umgewandelte Bild "
                                        "ersetzen? Es geht dabei verloren.")
                             .arg(QDir::toNativeSeparators(target)),
                         MessageButtons::YesNo, MessageIcon::Warning};
        question.defaultNo = true;
        return CurrentPrompts().ShowMessage(question) == Answer::Yes;
    }
    if (!QFileInfo(target).exists()) {
        return true;
    }
    return CurrentPrompts().ShowMessage(
               {QStringLiteral("Plenmar"),
                QStringLiteral("„%1“ gibt es schon.\nMöchten Sie die Datei ersetzen?")
                    .arg(QDir::toNativeSeparators(target)),
                MessageButtons::YesNo, MessageIcon::Question}) == Answer::Yes;
}

}  // namespace

void Warn(const QString& text) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"), text, MessageButtons::Ok, MessageIcon::Warning});
}

std::optional<QString> AskPictureToOpen(const QString& current) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.defaultExtension = QStringLiteral("jpg");
    request.initialName = current;
    request.options = FileDialogOption::HideReadOnly | FileDialogOption::OverwritePrompt |
                      FileDialogOption::NoChangeDir | FileDialogOption::Explorer;
    request.filter = OpenFilter();
    return CurrentPrompts().AskFileName(request);
}

void TellCannotOpen(const QString& path, const ConversionResult& result) {
    const QFileInfo file(path);
    const QString reason = file.exists() || file.isSymLink()
                               ? FailureReason(result)
                               : QStringLiteral("Die Datei existiert nicht.");
    Warn(QStringLiteral("Das Bild „%1“ lässt sich nicht öffnen.\n%2")
             .arg(QDir::toNativeSeparators(path), reason));
}

QString SaveAsProposal(const QString& picturePath, const PreviewFrame& frame) {
    if (picturePath.isEmpty()) {
        return ConversionTexts::FolderTargetName(QDir::homePath(), ConversionTexts::SampleName(),
                                                 frame.pictureWidth, frame.pictureHeight);
    }
    return ConversionTexts::FolderTargetName(QFileInfo(picturePath).absolutePath(), picturePath,
                                             frame.pictureWidth, frame.pictureHeight);
}

std::optional<QString> AskSaveTarget(const QString& proposal, const QString& openPicture) {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.defaultExtension = QStringLiteral("jpg");
    request.initialName = proposal;
    // Replacing is asked below, where the original can be told from any other file.
    request.options = FileDialogOption::HideReadOnly | FileDialogOption::NoChangeDir;
    request.filter = QStringLiteral("Bilder (*.jpg)|*.jpg");
    const std::optional<QString> chosen = CurrentPrompts().AskFileName(request);
    if (!chosen || !MayReplace(*chosen, openPicture)) {
        return std::nullopt;
    }
    return chosen;
}

void TellNotSaved(const QString& target, const ConversionResult& result) {
    Warn(QStringLiteral("Das Bild konnte nicht als „%1“ gespeichert werden.\n%2")
             .arg(target, FailureReason(result)));
}

void TellPreviewNotWritten(const QString& previewPath, const ConversionResult& result) {
    Warn(previewPath.isEmpty()
             ? QStringLiteral("Für die Vorschau lässt sich kein eigener Ordner anlegen; "
                              "die Vorschau bleibt leer.")
             : QStringLiteral("Die Vorschau „%1“ kann nicht geschrieben werden.\n%2")
                   .arg(QDir::toNativeSeparators(previewPath), FailureReason(result)));
}
