#pragma once

#include <QString>

struct ConversionResult;

// What a conversion changes in the window that shows it. Called on the thread that runs the
// conversion, so a window forwards each call to its own thread.
class ConversionView {
public:
    virtual ~ConversionView() = default;
    // The preview changed: repaint it, without erasing first.
    virtual void InvalidatePreview() = 0;
    virtual void SetTitle(const QString& title) = 0;
    // The information box exists only once the control panel does.
    virtual bool PanelExists() const = 0;
    virtual void SetInfoText(const QString& text) = 0;
    // The preview file could not be written; `result` says why.
    virtual void PreviewNotWritten(const ConversionResult& result) { (void)result; }
};
