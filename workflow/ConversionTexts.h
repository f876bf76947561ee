#pragma once

#include <QString>

// The names and texts a conversion produces. "Kb" always means 1000 bytes, truncated.
namespace ConversionTexts {

// "<folder>/<name without extension> <w>x<h>.jpg"; the folder text is used as it is.
QString FolderTargetName(const QString& outputFolder, const QString& picturePath, int width,
                         int height);
// The text after the last folder separator.
QString FileName(const QString& path);
// What the title calls the built-in sample picture, so that it is never taken for a file.
QString SampleName();
// The file name cut at its last dot: what a folder run names its result after.
QString BaseName(const QString& path);
QString Title(const QString& fileName, int previewKb);
QString SourceSizeLine(long long sourceBytes);
// "13.0 x 9.7 cm" (with a decimal point in every locale), or "Automatisch" at 0 dpi.
QString PrintSize(int width, int height, int resolution);
QString InfoText(const QString& sourceSizeLine, int previewKb, const QString& printSize);
// Under a size limit, the information box's last line: the quality the limit left, or that
// even quality 0 passes it.
QString LimitLine(int quality, int maxKb, bool overLimit);
int Kb(long long bytes);

// Why a run failed, in German for the user (FailureReason chooses among them). A target not
// written, by the system's error number (0: none known):
QString WriteReason(int systemError);
QString CannotReadBack();
QString CannotEncode();
// Something the run did not expect, with its own words.
QString Unexpected(const QString& what);

// A long task of the window (a folder run, a mail) that failed on its way, and why.
QString TaskFailed(const QString& reason);
// Why, when the memory ran out.
QString NotEnoughMemory();

}  // namespace ConversionTexts
