#pragma once

#include <QString>

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

}  // namespace FolderRunTexts
