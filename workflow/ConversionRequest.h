#pragma once

#include <QString>

#include "imaging/ConversionParams.h"

// Whether one run without a picture may show the built-in sample.
enum class SampleUse {
    AsConfigured,  // as SetSubstituteSample says
    Never,         // the run fails instead, also without a picture
};

// One conversion asked for: what to convert, with which settings, and where the result goes.
// Written with designated initializers, so that a call names what it passes:
// `{.params = params, .picture = file, .outputName = target, .currentPicture = file}`. Every
// member has an initializer of its own: GCC warns of any left out of such a list otherwise.
struct ConversionRequest {
    ConversionParams params{};  // the size limit too (MaxKb)
    QString picture{};          // empty: the built-in sample, where the run may use it
    // "<outputFolder>/<name> <w>x<h>.jpg"; with neither this nor outputName, the preview file.
    QString outputFolder{};
    QString outputName{};      // the target itself; wins over outputFolder
    QString currentPicture{};  // the window's picture, which the title names
    SampleUse sampleUse = SampleUse::AsConfigured;

    // The run writes a file of the user's rather than the preview file.
    bool WritesNamedFile() const { return !outputFolder.isEmpty() || !outputName.isEmpty(); }
};
