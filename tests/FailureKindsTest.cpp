#include <gtest/gtest.h>

#include <QDir>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>

#include "batch/FolderRun.h"
#include "imaging/codecs/PictureDefect.h"
#include "support/TestFiles.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionResult.h"
#include "workflow/ConversionTexts.h"

namespace {

struct ThrownCase {
    const char* name;
    std::function<void()> thrower;
    ConversionFailure failure;
    QString reason;  // what the user is told
};

// Runs `thrower` as the conversion of the one file of a run side by side, on a worker thread
// of its own, and gives what the run made of it.
ConversionResult ThrownOnAWorker(const std::function<void()>& thrower) {
    std::optional<ConversionResult> seen;
    ConvertSideBySide(
        {{0}},
        [&](Conversion&, qsizetype) -> ConversionResult {
            thrower();
            return {};
        },
        {}, [&](qsizetype, std::optional<ConversionResult> result) { seen = std::move(result); });
    return seen.value_or(ConversionResult{});
}

}  // namespace

TEST(FailureKinds, ExceptionsAtAThreadsEntryKeepTheirKind) {
    const QString memory = DefectGerman(PictureDefect::OutOfMemory);
    const ThrownCase cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, ConversionFailure::OutOfMemory, memory},
        {"runtime error", [] { throw std::runtime_error("the disk went away"); },
         ConversionFailure::Unexpected, QStringLiteral("Unerwarteter Fehler: the disk went away")},
        {"logic error", [] { throw std::out_of_range("index 7 of 3"); },
         ConversionFailure::Unexpected, QStringLiteral("Unerwarteter Fehler: index 7 of 3")},
        {"no exception class", [] { throw 42; }, ConversionFailure::Unexpected,
         QStringLiteral("Unerwarteter Fehler: an exception of unknown type")},
    };
    for (const ThrownCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ConversionResult result = ThrownOnAWorker(c.thrower);
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_EQ(FailureReason(result).toStdString(), c.reason.toStdString());
        EXPECT_TRUE(result.target.isEmpty());
        // The window and the folder run show nothing of such a picture, as of an unreadable one.
        EXPECT_TRUE(NothingToShow(result));
        if (c.failure != ConversionFailure::OutOfMemory) {
            EXPECT_NE(FailureReason(result).toStdString(), memory.toStdString());
        }
    }
}

TEST(FailureKinds, AnEncoderFailureIsNotCalledMemory) {
    TestFolder folder;
    const QString picture = folder.File(QStringLiteral("Streifen.png"));
    WriteAll(picture, Encode(Plain(2000, 2, qRgb(200, 40, 40)), "png"));
    Conversion conversion{QString()};
    ConversionParams params;
    // Wider than any JPEG may be (65500 pixels), yet small enough for memory: 70000 x 70.
    params.TargetSize = 70000;
    const ConversionResult result = conversion.Run({.params = params,
                                                    .picture = picture,
                                                    .outputFolder = folder.Path(),
                                                    .currentPicture = picture,
                                                    .sampleUse = SampleUse::Never});
    EXPECT_EQ(result.failure, ConversionFailure::CannotEncode) << result.error.toStdString();
    EXPECT_EQ(FailureReason(result).toStdString(), ConversionTexts::CannotEncode().toStdString());
    EXPECT_NE(FailureReason(result).toStdString(),
              DefectGerman(PictureDefect::OutOfMemory).toStdString());
    EXPECT_TRUE(result.target.isEmpty());
    // Nothing but the picture is left in the folder.
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files), QStringList{"Streifen.png"});
}
