#pragma once

#include <QString>

struct ConversionRequest;
struct ConversionResult;

// What the window shows of a run that wrote its target: the title, and the information box's
// text. Made from the values the run returns, on whichever thread tells of it.
namespace WindowTexts {

// "<file name> (<preview Kb> Kb)": a folder run names the file it converted, any other run
// the window's picture; the built-in sample is called so.
QString Title(const ConversionRequest& request, const ConversionResult& result);
// The source's size (not for the sample), the preview file's, the print size and, under a size
// limit, the quality the limit left.
QString Information(const ConversionRequest& request, const ConversionResult& result);

}  // namespace WindowTexts
