#pragma once

#include <QString>
#include <optional>

struct ConversionResult;
struct PreviewFrame;

// The main window's questions and messages, all through the program's Prompts: the file
// dialogs of opening and saving a picture, the question before a file is replaced, and what
// went wrong.

// A warning the user only confirms.
void Warn(const QString& text);

// Asks for a picture to open, starting at `current`. Nothing when the user cancels.
std::optional<QString> AskPictureToOpen(const QString& current);
// Why `path` cannot be opened; a name without a file behind it is told as such.
void TellCannotOpen(const QString& path, const ConversionResult& result);

// "NAME WIDTHxHEIGHT.jpg" beside `picturePath` (for the sample, an empty path, in the home
// folder), with the size of the picture `frame` shows, as a folder run names it.
QString SaveAsProposal(const QString& picturePath, const PreviewFrame& frame);
// Asks where the converted picture goes, starting at `proposal`, and then whether a file there
// may be replaced, saying so when it is `openPicture` itself. Nothing when the user cancels or
// keeps the file.
std::optional<QString> AskSaveTarget(const QString& proposal, const QString& openPicture);
void TellNotSaved(const QString& target, const ConversionResult& result);

// The preview file `previewPath` cannot be written; empty when no folder for it could be made.
void TellPreviewNotWritten(const QString& previewPath, const ConversionResult& result);
