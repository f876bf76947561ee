#pragma once

#include <QStringList>
#include <optional>

class CSimpleMapi;

// What a file manager's action for chosen pictures asks of the program: small copies beside
// each picture ("--shrink"), or one mail with all of them ("--mail"). Neither opens the main
// window.
enum class ChosenAction { Shrink, Mail };

// The action the command line's first argument names, if any.
std::optional<ChosenAction> ChosenActionOf(const QStringList& arguments);

// Converts the pictures and folders `paths` names with the settings the window last closed
// with, in parallel, and for a mail hands the results to `mail` in the order given. Tells the
// user of every file that failed, in one message. 0 when every result was written, 1
// otherwise.
int RunChosenAction(ChosenAction action, const QStringList& paths, CSimpleMapi& mail);
