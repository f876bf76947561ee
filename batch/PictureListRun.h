#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

#include "FolderRun.h"
#include "imaging/ConversionParams.h"

// Pictures named one by one (on a command line, in a list from `find`) converted into one
// folder. The list is read, converted and told a part at a time: a list of a million names
// takes about the memory of one of a few hundred, besides the names of the results written,
// which are kept to tell two pictures giving one result name.

struct PictureListSettings {
    ConversionParams params;
    QString destination;
    ResultNames names = ResultNames::WithSize;
    int jobs = 1;
    // When set, each result goes into the folder below `destination` that its picture's
    // folder is below this one (made as needed); a picture elsewhere is refused.
    QString treeBase = {};
    // Only the pictures of part `part` (from 1) of `parts`: a share of the list for one of
    // several runs, chosen by result name, so that pictures that may give the same result
    // name fall into the same part and keep their order.
    int part = 1;
    int parts = 1;
};

struct PictureListCounts {
    long long converted = 0;
    long long failed = 0;
};

// Converts the pictures `nextName` gives (bytes as the system names them; nothing at the
// end of the list) with `settings.jobs` conversions side by side. `reported` hears of each in
// the order of the list as soon as it and all before it are done; a result that replaced an
// earlier one's names that picture in `replaced`, the picture itself when it was named twice.
PictureListCounts ConvertPictureList(const std::function<std::optional<QByteArray>()>& nextName,
                                     const PictureListSettings& settings,
                                     const std::function<void(const FolderRunFile&)>& reported);
