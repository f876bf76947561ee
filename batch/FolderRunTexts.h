#pragma once

#include <QString>

struct ConversionParams;
struct FolderRunReport;

// What the window tells the user at the end of a folder run.
namespace FolderRunTexts {

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
QString Busy();

// The heading of the notice at the end of pictures shrunk for a file manager or a drop, or
// handed to the mail program.
QString ChosenHeading(bool mailed);
// Its text: how many pictures were shrunk with which size and quality, and where they went;
// how many kept their own, smaller size; files of a result's name that were there before and
// are replaced; results of earlier runs left alone. Lists are cut short after `shown` names.
QString ChosenSummary(const FolderRunReport& report, const ConversionParams& params, bool mailed,
                      int shown = 5);

}  // namespace FolderRunTexts
