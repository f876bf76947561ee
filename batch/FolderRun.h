#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "FolderListing.h"
#include "imaging/ConversionParams.h"
#include "workflow/ConversionResult.h"

class Conversion;
class DecodeBudget;

// One picture of a folder run and what became of it.
struct FolderRunFile {
    QString source;
    ConversionResult result;
    // An earlier picture of the run whose result this one's replaced (a.jpg for a.gif).
    QString replaced = {};
    bool Converted() const { return !result.target.isEmpty(); }
};

// A file of a run that was not converted, or was converted in spite of damage, and why.
struct FileProblem {
    QString path;
    QString reason;  // in German, for the user
    QString error;   // in words for a terminal
};

// What a folder run did.
struct FolderRunReport {
    // Every file converted or tried, in the order of the run; the ones the user declined are
    // not among them.
    std::vector<FolderRunFile> files;
    // Entries of the folder the listing could not take, then files that failed.
    std::vector<FileProblem> failed;
    // Files converted in spite of damage: written with what could be read.
    std::vector<FileProblem> warned;
    // Files whose result replaced the result of an earlier file of the same name.
    std::vector<FileProblem> replacing;
    // Results of earlier runs beside their pictures, left alone: no failure, but named.
    std::vector<FileProblem> skipped;
    // Which file each result written so far came from.
    std::map<QString, QString> sourceOfResult;
    bool cancelled = false;

    int Converted() const;
};

// What a run names its results: "<name> <w>x<h>.jpg", or "<name>.jpg".
enum class ResultNames { WithSize, Kept };

// Converts `source` into "<destination>/<name> <w>x<h>.jpg" (or "<destination>/<name>.jpg")
// with `params`. A source that cannot be decoded fails: a folder run never writes the sample
// picture as a result. Nor is a picture replaced by its own result.
ConversionResult ConvertIntoFolder(Conversion& conversion, const ConversionParams& params,
                                   const QString& source, const QString& destination,
                                   ResultNames names = ResultNames::WithSize);

// The files (by index) that may give the same result name, in order: those of the same name
// up to the extension going to the same folder. Each group is converted by one worker in
// order, so the later file's result wins as in a run one file at a time.
std::vector<std::vector<qsizetype>> ResultGroups(const QStringList& files,
                                                 const QStringList& destinations);

// Memory the workers' decodings of a run side by side may take together. Most photos need a few
// megabytes at the reduced scale; a progressive JPEG decoded at 1/4 or more keeps all its
// coefficients (90 MB for 15 megapixels without chroma subsampling) and may then decode alone. At
// 1/8 it keeps little more than its chroma's.
inline constexpr long long kRunDecodeBudget = 48LL * 1024 * 1024;

// How a run side by side shares the machine.
struct SideBySide {
    int jobs = 1;
    DecodeBudget* budget = nullptr;  // shared by the workers' decodings
    const std::atomic<bool>* cancel = nullptr;
};

// Converts the files 0..n-1 that `groups` holds with `how.jobs` workers, each with its own
// Conversion, `convert` making each file's result. `finished` hears of every file in index
// order on the calling thread, as soon as it and all before it are done, and takes its result
// (none for a file left out once `how.cancel` was set). Nothing is kept.
void ConvertSideBySide(
    const std::vector<std::vector<qsizetype>>& groups,
    const std::function<ConversionResult(Conversion&, qsizetype)>& convert, const SideBySide& how,
    const std::function<void(qsizetype, std::optional<ConversionResult>)>& finished);

// The steps of a run one file at a time, as the window takes them.
struct FolderRunSteps {
    // Converts one file, or declines it (no result). Reads the parameters itself, so a run
    // may take each file with the parameters of its moment.
    std::function<std::optional<ConversionResult>(const QString& file)> convertFile;
    // Told before each file and once at the end: how many of how many are done.
    std::function<void(qsizetype done, qsizetype total, const QString& next)> progress;
    // Looked at before and after each file: true ends the run.
    std::function<bool()> cancelled;
};

// What to say of a file whose result replaced an earlier one's, in words for a terminal.
QString ReplacedText(const FolderRunFile& file);

// Runs the pictures of `folder`'s listing in order, one at a time.
FolderRunReport RunFolder(const QString& folder, const FolderPictures& listing,
                          const FolderRunSteps& steps);

// Converts the listing's files with `jobs` conversions side by side, each with its own
// Conversion sharing one decode budget. Files that would give the same result name are
// converted in listing order by one worker, so the later one's result wins as in a run one
// file at a time. `reported` hears of each file in the order of the listing, on the calling
// thread, as soon as it and all before it are done.
FolderRunReport ConvertFolderInParallel(const QStringList& files, const ConversionParams& params,
                                        const QString& destination, int jobs,
                                        const std::function<void(const FolderRunFile&)>& reported,
                                        ResultNames names = ResultNames::WithSize);

// The same for files that may lie in different folders: each goes into the folder
// `destinationOf` names for it. Once `cancel` (when given) is set, files not yet begun are
// left out and the report says it was cancelled; `reported` hears only of files converted or
// tried.
FolderRunReport ConvertFilesInParallel(const QStringList& files, const ConversionParams& params,
                                       const std::function<QString(const QString&)>& destinationOf,
                                       int jobs,
                                       const std::function<void(const FolderRunFile&)>& reported,
                                       const std::atomic<bool>* cancel = nullptr,
                                       ResultNames names = ResultNames::WithSize);
