#pragma once

#include <functional>

#include "batch/ChosenPictures.h"
#include "batch/FolderRun.h"
#include "imaging/ConversionParams.h"

class QWidget;

// Converts chosen pictures side by side, `jobs` at a time, each into the folder `destinationOf`
// names for it, while the GUI thread goes on handling events. Work that lasts longer than
// `progressDelayMs` shows a small progress window over `parent` ("3 von 12", "Abbrechen");
// "Abbrechen" ends the run after the pictures under way. The listing's skipped entries come
// first among the report's failures. Nothing is told to the user: that is the caller's.
FolderRunReport RunChosenPictures(const ChosenPictures& chosen, const ConversionParams& params,
                                  const std::function<QString(const QString&)>& destinationOf,
                                  int jobs, QWidget* parent = nullptr, int progressDelayMs = 500);
