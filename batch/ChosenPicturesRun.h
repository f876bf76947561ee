#pragma once

#include <functional>

#include "batch/ChosenPictures.h"
#include "batch/FolderRun.h"
#include "imaging/ConversionParams.h"
#include "workflow/ConversionExecutor.h"

class QWidget;

// Converts chosen pictures side by side, `jobs` at a time, each into the folder `destinationOf`
// names for it, as a long task of `executor`, and returns at once. Work that lasts longer than
// `progressDelayMs` shows a small progress window over `parent` ("3 von 12", "Abbrechen");
// "Abbrechen" ends the run after the pictures under way. `done` hears of the report on the
// window's thread, the listing's skipped entries first among its failures (cancelled when the
// run failed, which the worker has told); nothing else is told to the user, that is the
// caller's. Unless started, `done` is not called: Busy when the executor has other long work
// under way, Failed (and told) when there is no thread for it.
ConversionExecutor::StartResult StartChosenPictures(
    ConversionExecutor& executor, const ChosenPictures& chosen, const ConversionParams& params,
    std::function<QString(const QString&)> destinationOf, int jobs, QWidget* parent,
    std::function<void(FolderRunReport)> done, int progressDelayMs = 500);

// The same for a program without a window of its own, waiting for the report.
FolderRunReport RunChosenPictures(const ChosenPictures& chosen, const ConversionParams& params,
                                  const std::function<QString(const QString&)>& destinationOf,
                                  int jobs, QWidget* parent = nullptr, int progressDelayMs = 500);
