#include <gtest/gtest.h>

#include "workflow/ConversionRequest.h"
#include "workflow/ConversionResult.h"
#include "workflow/WindowTexts.h"

namespace {

ConversionResult Written(int previewKb, long long sourceBytes) {
    ConversionResult result;
    result.target = QStringLiteral("/tmp/Temppic.jpg");
    result.width = 368;
    result.height = 276;
    result.previewKb = previewKb;
    result.sourceBytes = sourceBytes;
    result.quality = 70;
    return result;
}

}  // namespace

// Only a run that writes the preview file may be dropped for a later one in the queue.
TEST(ConversionRequest, WritesANamedFileWithAFolderOrANameOnly) {
    const struct {
        const char* what;
        ConversionRequest request;
        bool named;
    } cases[] = {
        {"preview", {.picture = "/p/a.jpg", .currentPicture = "/p/a.jpg"}, false},
        {"sample", {}, false},
        {"folder", {.picture = "/p/a.jpg", .outputFolder = "/out"}, true},
        {"name", {.picture = "/p/a.jpg", .outputName = "/out/a.jpg"}, true},
        {"both", {.outputFolder = "/out", .outputName = "/out/a.jpg"}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.request.WritesNamedFile(), c.named) << c.what;
    }
    EXPECT_EQ(ConversionRequest{}.sampleUse, SampleUse::AsConfigured);
    EXPECT_EQ(ConversionRequest{.picture = "x"}.params.TargetSize, ConversionParams{}.TargetSize);
}

TEST(WindowTexts, TitleNamesTheFolderRunsPictureTheWindowsPictureOrTheSample) {
    const struct {
        const char* what;
        ConversionRequest request;
        bool sample;
        const char* title;
    } cases[] = {
        {"preview",
         {.picture = "/p/Urlaub.jpg", .currentPicture = "/p/Urlaub.jpg"},
         false,
         "Urlaub.jpg (12 Kb)"},
        {"saved under another name",
         {.picture = "/p/a.gif", .outputName = "/out/b.jpg", .currentPicture = "/p/Fenster.gif"},
         false,
         "Fenster.gif (12 Kb)"},
        {"folder run",
         {.picture = "/p/Berg.png", .outputFolder = "/out", .currentPicture = "/p/Fenster.gif"},
         false,
         "Berg.png (12 Kb)"},
        {"sample", {.currentPicture = "/p/Fenster.gif"}, true, "Beispielbild (12 Kb)"},
        {"percent sign", {.currentPicture = "/p/100%1.gif"}, false, "100%1.gif (12 Kb)"},
    };
    for (const auto& c : cases) {
        ConversionResult result = Written(12, 1999);
        result.usedSample = c.sample;
        EXPECT_EQ(WindowTexts::Title(c.request, result), QString::fromUtf8(c.title)) << c.what;
    }
}

TEST(WindowTexts, InformationTellsTheSourceOnlyForAFileAndTheQualityOnlyUnderALimit) {
    const QString sizes =
        QStringLiteral("Angepasste Dateigrösse: 12 Kb\r\nBildformat: 13.0 x 9.7 cm");
    const struct {
        const char* what;
        bool sample;
        int maxKb;
        bool overLimit;
        QString text;
    } cases[] = {
        {"file", false, 0, false, QStringLiteral("Original Dateigrösse: 1 Kb\r\n") + sizes},
        {"sample", true, 0, false, QStringLiteral("\r\n") + sizes},
        {"limit kept", false, 20, false,
         QStringLiteral("Original Dateigrösse: 1 Kb\r\n") + sizes +
             QStringLiteral("\r\nQualität 70 für höchstens 20 Kb")},
        {"limit passed", true, 1, true,
         QStringLiteral("\r\n") + sizes + QStringLiteral("\r\nÜber 1 Kb auch mit Qualität 0")},
    };
    for (const auto& c : cases) {
        ConversionRequest request{.picture = "/p/a.jpg"};
        request.params.MaxKb = c.maxKb;
        ConversionResult result = Written(12, 1999);
        result.usedSample = c.sample;
        result.overLimit = c.overLimit;
        EXPECT_EQ(WindowTexts::Information(request, result), c.text) << c.what;
    }
}
