#pragma once

#include <QString>

// Why a run wrote nothing.
enum class ConversionFailure {
    None,
    Unreadable,   // the source is no picture that can be decoded
    OutOfMemory,  // the picture could not be held in memory
    CannotWrite,  // the target could not be written; systemError tells why
    CannotReadBack,
};

// What one run produced.
struct ConversionResult {
    QString target;  // the file written; empty when the run failed
    QString error;   // why it failed, in words for a terminal
    ConversionFailure failure = ConversionFailure::None;
    int systemError = 0;  // errno of a failed write
    bool usedSample = false;
    int width = 0;  // the written picture
    int height = 0;
    int previewKb = 0;
    QString title;
    QString infoText;
};

// Why a run failed, in German for the user: what went wrong and, where it helps, what to do.
QString FailureReason(const ConversionResult& result);
