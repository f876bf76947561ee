#pragma once

#include <QString>
#include <exception>
#include <new>

#include "imaging/codecs/PictureObject.h"
#include "platform/files/SharedFolders.h"

// Why a run wrote nothing.
enum class ConversionFailure {
    None,
    Unreadable,   // the source is no picture that can be decoded
    OutOfMemory,  // the picture could not be held in memory
    CannotWrite,  // the target could not be written; systemError tells why
    CannotReadBack,
    CannotEncode,  // the JPEG writer failed on the picture held in memory
    Unexpected,    // the run threw what it does not expect; `error` says what
};

// What one run produced.
struct ConversionResult {
    QString target;  // the file written; empty when the run failed
    QString error;   // why it failed, in words for a terminal
    ConversionFailure failure = ConversionFailure::None;
    // What is wrong with the source picture: why it could not be read (or was replaced by
    // the sample), or the damage it was converted with, which `warning` then tells.
    PictureDefect defect = PictureDefect::None;
    QString warning;       // a picture converted in spite of damage, in words for a terminal
    int systemError = 0;   // errno of a failed write
    ForeignEntry foreign;  // what of another user kept a write from its target
    bool usedSample = false;
    long long sourceBytes = 0;  // the picture's file as it was read; 0 for the sample
    int width = 0;              // the written picture
    int height = 0;
    int previewKb = 0;
    int quality = 0;                // the JPEG quality written
    bool overLimit = false;         // written at quality 0, and still larger than MaxKb
    bool replacedExisting = false;  // a file had the target's name before it was written
};

// Runs `run` (giving a ConversionResult) at a thread's entry, and turns what it throws into a
// failed result of its kind: a picture too large for memory must cost that picture, not the
// program, and anything else is told for what it is rather than taken for lack of memory.
template <typename Run>
ConversionResult GuardedRun(Run&& run) noexcept {
    ConversionResult failed;
    failed.failure = ConversionFailure::Unexpected;
    try {
        return run();
    } catch (const std::bad_alloc&) {
        failed.failure = ConversionFailure::OutOfMemory;
        failed.error = QStringLiteral("out of memory");
    } catch (const std::exception& error) {
        failed.error = QString::fromLocal8Bit(error.what());
    } catch (...) {
        failed.error = QStringLiteral("an exception of unknown type");
    }
    return failed;
}

// The picture itself could not be made, so there is nothing of it to show or to ask about.
bool NothingToShow(const ConversionResult& result);

// Why a run failed, in German for the user: what went wrong and, where it helps, what to do.
QString FailureReason(const ConversionResult& result);
// What the user should know of a picture converted in spite of damage, in German; empty
// when there is nothing to tell.
QString WarningReason(const ConversionResult& result);
