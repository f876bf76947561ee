#pragma once

#include <QString>

struct FolderRunReport;

// What the window tells the user at the end of a folder run.
namespace FolderRunTexts {

// A run without a failure and without a mail.
QString AllConverted();
// A run in which a file failed or an entry could not be taken: how many were converted, and
// each failure by name with its reason, the list cut short after `shown` names. With
// `mailFollows` it says that the mail carries the converted pictures only.
QString FailureSummary(const FolderRunReport& report, bool mailFollows, int shown = 10);
// A command that has to wait for the window's folder run or mail to finish.
QString Busy();

}  // namespace FolderRunTexts
