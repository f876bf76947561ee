#pragma once

#include <QString>
#include <QStringList>

#include "FolderListing.h"
#include "workflow/ConversionExecutor.h"

struct ConversionParams;
struct FolderRunReport;

// The German texts of the folder runs and of pictures converted side by side: what keeps a
// run from starting, why a file was left out, the question per file, and what the window tells
// the user at the end of a run.
namespace FolderRunTexts {

// What keeps the window's run from starting; each ends without a full stop where a reason
// follows on a line of its own. `shown...` are folders as the user writes them.
QString NoSuchFolder(const QString& shownFolder);
// `why` is the system's reason or NoReadPermission().
QString FolderUnreadable(const QString& shownFolder, const QString& why);
QString NoReadPermission();
QString NoPictures(const QString& shownFolder, const QStringList& patterns);
QString NoSuchDestination(const QString& shownFolder);
// `why` is the reason a write would fail.
QString DestinationNotWritable(const QString& shownFolder, const QString& why);
// The obstacle, and that nothing was converted (nor sent, with a mail).
QString NothingConverted(const QString& obstacle, bool sendByMail);
// A folder among chosen pictures whose listing failed.
QString ChosenFolderUnreadable();

// Why an entry of a folder was skipped, for the user.
QString SkipReason(SkippedFile::Reason reason);
// Put before the reason of a result that could not be written: the destination's fault.
QString CannotSaveResult();
// A file whose result replaced the result of the earlier file `earlierName`.
QString ReplacedResult(const QString& earlierName);
// Asked before each file when the user wants to be asked.
QString AskConvertFile();

// A run without a failure and without a mail.
QString AllConverted();
// A run with something to tell: when a file failed or an entry could not be taken, how many
// were converted and each failure by name with its reason; then each picture converted in
// spite of damage, with what is wrong with it. Lists are cut short after `shown` names. With
// `mailFollows` it says what the mail carries when something is missing from it.
QString EndReport(const FolderRunReport& report, bool mailFollows, int shown = 10);
// Whether a run has more to tell than "Alle Dateine sind umgewandelt" or the mail alone.
bool HasProblems(const FolderRunReport& report);
// A command that has to wait for the window's folder run or mail to finish.
// Why long work cannot start now: the work `underWay` must end first.
QString Busy(ConversionExecutor::Work underWay);

// The heading of the notice at the end of pictures shrunk for a file manager or a drop, or
// handed to the mail program.
QString ChosenHeading(bool mailed);
// Its text: how many pictures were shrunk with which size and quality, and where they went;
// how many kept their own, smaller size; files of a result's name that were there before and
// are replaced; results of earlier runs left alone. Lists are cut short after `shown` names.
QString ChosenSummary(const FolderRunReport& report, const ConversionParams& params, bool mailed,
                      int shown = 5);

}  // namespace FolderRunTexts
