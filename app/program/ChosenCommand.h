#pragma once

#include <QStringList>
#include <optional>

#include "WindowForwarding.h"

class CSimpleMapi;

// What a file manager's action for chosen pictures asks of the program: small copies beside
// each picture ("--shrink"), or one mail with all of them ("--mail"). Neither opens the main
// window.
enum class ChosenAction { Shrink, Mail };

// The action the command line's first argument names, if any.
std::optional<ChosenAction> ChosenActionOf(const QStringList& arguments);

// Converts the pictures and folders `paths` names, in parallel, and for a mail hands the
// results to `mail` in the order given. The size, quality, resolution, size limit and mail
// texts are those a running window shows (`shown`), else those it last closed with; a
// picture within the size keeps its own, and results of earlier runs are left alone. The end
// is told in a notification naming the values; files that failed, in one message instead. 0
// when every result was written, 1 otherwise.
int RunChosenAction(ChosenAction action, const QStringList& paths, CSimpleMapi& mail,
                    const std::optional<ShownValues>& shown = std::nullopt);
