#pragma once

#include <QString>

struct ConversionRequest;
struct ConversionResult;

// What a conversion changes in the window that shows it. Called on the thread that runs the
// conversion, so a window forwards each call to its own thread.
class ConversionView {
public:
    virtual ~ConversionView() = default;
    // The preview changed: repaint it, without erasing first.
    virtual void InvalidatePreview() = 0;
    // A run wrote its target; the window tells what it made in its own words.
    virtual void Converted(const ConversionRequest& request, const ConversionResult& result) = 0;
    // The preview file could not be written; `result` says why.
    virtual void PreviewNotWritten(const ConversionResult& result) { (void)result; }
};
