#pragma once

#include <QStringList>
#include <functional>

class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class QObject;
class QWidget;
class ConversionExecutor;
struct ConversionParams;

// Files dropped from a file manager on the main window or its panel.

// The local files a drag carries.
QStringList DroppedFiles(const QMimeData* data);
// Lets a drag in when it carries local files.
void AcceptFileDrag(QDragEnterEvent& event);
// Takes the local files of a drop and hands them to `take` once the drop has ended, unless
// `context` is gone by then; a drop without local files is left alone.
void TakeFileDrop(QDropEvent& event, QObject& context,
                  std::function<void(const QStringList&)> take);
// Several pictures or folders dropped: small copies beside each, with `params`, as a file
// manager's "Mit Plenmar verkleinern" makes them (never enlarged), as a long task of the
// window's `executor`: it returns at once. The end is told in a notification; what failed, in
// one message instead. While the executor is busy with other long work, that is told.
void ShrinkDroppedPictures(ConversionExecutor& executor, const QStringList& files,
                           const ConversionParams& params, QWidget* parent);
