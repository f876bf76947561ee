#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLocale>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <thread>

#include "platform/files/FileOps.h"
#include "platform/files/TempFolder.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "workflow/BackgroundConversion.h"
#include "workflow/Conversion.h"
#include "workflow/ConversionTexts.h"
#include "workflow/ConversionView.h"
#include "workflow/WindowTexts.h"

namespace {

class RecordingView final : public ConversionView {
public:
    void InvalidatePreview() override { ++invalidations; }
    // As the window does: the title always, the information only with a panel to show it.
    void Converted(const ConversionRequest& request, const ConversionResult& result) override {
        titles << WindowTexts::Title(request, result);
        if (panel) {
            infoTexts << WindowTexts::Information(request, result);
        }
    }

    bool panel = true;
    int invalidations = 0;
    QStringList titles;
    QStringList infoTexts;
};

QSize SizeOf(const QString& jpeg) {
    return QImageReader(jpeg).size();
}

class ConversionTest : public ::testing::Test {
protected:
    QString Picture(const QString& name, const QImage& image, const char* format = "png") {
        const QString path = folder.File(name);
        WriteAll(path, Encode(image, format));
        return path;
    }

    TestFolder folder;
    RecordingPrompts prompts;
    RecordingView view;
    Conversion conversion{folder.File("Temppic.jpg"), &view};
    ConversionParams params;
};

}  // namespace

TEST_F(ConversionTest, OutputSizesAndTurnsFollowTheOrientation) {
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
               white = qRgb(255, 255, 255);
    const struct {
        int w, h, orientation, outW, outH;
        QRgb topLeft;  // which quarter of the source ends up at the top-left
    } cases[] = {{800, 600, 0, 368, 276, red},   {800, 600, 1, 276, 368, blue},
                 {600, 800, 0, 276, 368, red},   {500, 500, 0, 368, 368, red},
                 {800, 600, 2, 368, 276, white}, {800, 600, 3, 276, 368, green},
                 {800, 600, 5, 276, 368, red},   {800, 600, 6, 368, 276, blue},
                 {800, 600, 7, 276, 368, white}};
    for (const auto& c : cases) {
        params.Orientation = c.orientation;
        const QString source = Picture("in.png", QuarterPattern(c.w, c.h));
        const QString target =
            conversion.Run({.params = params, .picture = source, .currentPicture = source}).target;
        ASSERT_EQ(target, folder.File("Temppic.jpg"));
        const QImage written(target);
        EXPECT_EQ(written.size(), QSize(c.outW, c.outH))
            << c.w << "x" << c.h << " o" << c.orientation;
        const QRgb p = written.pixel(4, 4);
        EXPECT_EQ(qRed(p) > 128, qRed(c.topLeft) > 128) << "o" << c.orientation;
        EXPECT_EQ(qGreen(p) > 128, qGreen(c.topLeft) > 128) << "o" << c.orientation;
        EXPECT_EQ(qBlue(p) > 128, qBlue(c.topLeft) > 128) << "o" << c.orientation;
    }
}

TEST_F(ConversionTest, TheScaledPictureCoversTheWholeFile) {
    for (const QSize size : {QSize(1000, 333), QSize(1000, 667), QSize(333, 1000)}) {
        const QString source =
            Picture("white.png", Plain(size.width(), size.height(), qRgb(255, 255, 255)));
        const QString target =
            conversion.Run({.params = params, .picture = source, .currentPicture = source}).target;
        QImage written(target);
        ASSERT_FALSE(written.isNull());
        for (int y = 0; y < written.height(); ++y) {
            ASSERT_GT(qGray(written.pixel(written.width() - 1, y)), 200) << "no black last column";
        }
        for (int x = 0; x < written.width(); ++x) {
            ASSERT_GT(qGray(written.pixel(x, written.height() - 1)), 200) << "no black last row";
        }
    }
}

TEST_F(ConversionTest, TextsCountKilobytesOfThousandBytesAndPrintSizes) {
    EXPECT_EQ(ConversionTexts::SourceSizeLine(1999), "Original Dateigrösse: 1 Kb");
    EXPECT_EQ(ConversionTexts::SourceSizeLine(999), "Original Dateigrösse: 0 Kb");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ConversionTexts::PrintSize(368, 276, 72), "13.0 x 9.7 cm");
    EXPECT_EQ(ConversionTexts::PrintSize(368, 276, 96), "9.7 x 7.3 cm");
    EXPECT_EQ(ConversionTexts::PrintSize(368, 276, 144), "6.5 x 4.9 cm");
    EXPECT_EQ(ConversionTexts::PrintSize(368, 276, 0), "Automatisch");
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ConversionTexts::Title("Urlaub.gif", 57), "Urlaub.gif (57 Kb)");
    EXPECT_EQ(ConversionTexts::Title("100%1.gif", 5), "100%1.gif (5 Kb)");
    EXPECT_EQ(ConversionTexts::FolderTargetName("/Ziel", "/Bilder/Urlaub.gif", 368, 276),
              "/Ziel/Urlaub 368x276.jpg");
    EXPECT_EQ(ConversionTexts::FolderTargetName("/Ziel/", "/Bilder/Urlaub.gif", 368, 276),
              "/Ziel//Urlaub 368x276.jpg");
    EXPECT_EQ(ConversionTexts::FolderTargetName("/Ziel", "/a.b/Urlaub.alt.gif", 368, 276),
              "/Ziel/Urlaub.alt 368x276.jpg");
    EXPECT_EQ(ConversionTexts::FolderTargetName("/Ziel", "/a.b/README", 5, 6),
              "/Ziel/README 5x6.jpg");
}

TEST_F(ConversionTest, ARunReportsTitleAndInformationFromThePreviewFile) {
    const QByteArray small = Encode(Plain(80, 60, qRgb(200, 10, 10)), "jpeg");
    ASSERT_LT(small.size(), 999);
    const QString source = folder.File("Urlaub.jpg");
    WriteAll(source, small + QByteArray(1999 - small.size(), '\0'));  // trailing bytes are ignored

    params.Resolution = 96;
    const ConversionRequest preview{.params = params, .picture = source, .currentPicture = source};
    const ConversionResult run = conversion.Run(preview);
    ASSERT_FALSE(run.target.isEmpty()) << run.error.toStdString();
    const int kb = static_cast<int>(FileSize(folder.File("Temppic.jpg")) / 1000);
    const QString title = WindowTexts::Title(preview, run);
    const QString information = WindowTexts::Information(preview, run);
    EXPECT_EQ(title, QStringLiteral("Urlaub.jpg (%1 Kb)").arg(kb));
    EXPECT_EQ(information,
              QStringLiteral("Original Dateigrösse: 1 Kb\r\nAngepasste Dateigrösse: %1 Kb\r\n"
                             "Bildformat: 9.7 x 7.3 cm")
                  .arg(kb));
    EXPECT_EQ(view.titles, QStringList{title});
    EXPECT_EQ(view.infoTexts, QStringList{information});
    EXPECT_GE(view.invalidations, 1);

    // Saving under another name: the title still tells the preview file, which stays as it was.
    const QByteArray previewBefore = ReadAll(folder.File("Temppic.jpg"));
    view.panel = false;
    params.Quality = 20;
    const ConversionRequest saving{.params = params,
                                   .picture = source,
                                   .outputName = folder.File("saved.jpg"),
                                   .currentPicture = source};
    const ConversionResult saved = conversion.Run(saving);
    EXPECT_EQ(saved.target, folder.File("saved.jpg"));
    EXPECT_EQ(ReadAll(folder.File("Temppic.jpg")), previewBefore);
    EXPECT_EQ(WindowTexts::Title(saving, saved), title);
    EXPECT_EQ(view.infoTexts.size(), 1) << "no panel, no information text";

    // A folder run names the title after the converted file, and an explicit name wins.
    const ConversionRequest intoFolder{.params = params,
                                       .picture = source,
                                       .outputFolder = folder.Path(),
                                       .currentPicture = "/else/Current.gif"};
    const ConversionResult inFolder = conversion.Run(intoFolder);
    EXPECT_EQ(inFolder.target, folder.File("Urlaub 368x276.jpg"));
    EXPECT_TRUE(WindowTexts::Title(intoFolder, inFolder).startsWith("Urlaub.jpg ("));
    EXPECT_EQ(conversion
                  .Run({.params = params,
                        .picture = source,
                        .outputFolder = folder.Path(),
                        .outputName = folder.File("x.jpg"),
                        .currentPicture = source})
                  .target,
              folder.File("x.jpg"));
}

TEST_F(ConversionTest, OnlyARunWithoutAPictureShowsTheSampleAndSaysSo) {
    const QString broken = folder.File("kaputt.jpg");
    WriteAll(broken, WithUndefinedQuantTable(Encode(QuarterPattern(800, 600), "jpeg")));
    WriteAll(folder.File("Urlaub.alt.gif"), "not a picture");
    const struct {
        QString picture;
        bool substitute;
        bool sample;
        ConversionFailure failure;
    } cases[] = {
        {"", true, true, ConversionFailure::None},
        {"", false, false, ConversionFailure::Unreadable},
        {folder.File("Urlaub.alt.gif"), true, false, ConversionFailure::Unreadable},
        {broken, true, false, ConversionFailure::Unreadable},
        {folder.File("fehlt.jpg"), true, false, ConversionFailure::Unreadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture.toStdString());
        conversion.SetSubstituteSample(c.substitute);
        const QString target = folder.File("x.jpg");
        QFile::remove(target);
        const ConversionRequest request{.params = params,
                                        .picture = c.picture,
                                        .outputName = target,
                                        .currentPicture = c.picture};
        const ConversionResult run = conversion.Run(request);
        EXPECT_EQ(run.usedSample, c.sample);
        EXPECT_EQ(run.failure, c.failure);
        EXPECT_EQ(QFile::exists(target), c.sample) << "nothing under the picture's name";
        if (c.sample) {
            const QString title = WindowTexts::Title(request, run);
            EXPECT_TRUE(title.startsWith("Beispielbild (")) << title.toStdString();
            EXPECT_TRUE(WindowTexts::Information(request, run).startsWith("\r\nAngepasste"))
                << "no source size line";
            EXPECT_EQ(SizeOf(target), QSize(368, 276)) << "320 x 240 sample";
        }
    }
    EXPECT_TRUE(prompts.Messages().empty()) << "the caller tells what went wrong";
}

TEST_F(ConversionTest, DamagedPicturesAreConvertedWithAWarningOrRefusedWithTheReason) {
    const QByteArray jpeg = Encode(QuarterPattern(400, 300), "jpeg");
    conversion.SetSubstituteSample(false);
    const struct {
        QByteArray bytes;
        bool converted;
        const char* german;
    } cases[] = {{jpeg, true, ""},
                 {jpeg.left(jpeg.size() - 300), true,
                  "Das Bild ist abgeschnitten; umgewandelt wurde, was davon da ist."},
                 {jpeg.left(300), false, "Das Bild ist abgeschnitten."},
                 {WithUndefinedQuantTable(jpeg), false, "Das Bild enthält beschädigte Daten."},
                 {"GIF89a nothing", false, "Das Bild hat einen beschädigten Kopf."},
                 {WithFrameSize(jpeg, 30000, 30000, true), false,
                  "Das Bild ist zu groß: es bräuchte mehr als 512 MiB Speicher."},
                 // Kinds libtiff reads, and one it does not.
                 {OldStyleJpegTiff(Encode(QuarterPattern(64, 48), "jpeg"), 64, 48, 2, 2), true, ""},
                 {PlainTiff(2, 1, 1, 64, 3, QByteArray(16, '\0')), false,
                  "Diese Art Bild kann das Programm nicht lesen."}};
    for (const auto& c : cases) {
        WriteAll(folder.File("p.jpg"), c.bytes);
        const ConversionResult run =
            conversion.Run({.params = params, .picture = folder.File("p.jpg")});
        EXPECT_EQ(!run.target.isEmpty(), c.converted) << c.german;
        EXPECT_EQ((c.converted ? WarningReason(run) : FailureReason(run)).toStdString(), c.german);
        EXPECT_EQ(run.warning.isEmpty(), !c.converted || *c.german == '\0');
    }
}

TEST_F(ConversionTest, AFailedWriteKeepsTheLastGoodPreviewAndSaysWhy) {
    const QString source = Picture("p.png", QuarterPattern(400, 300));
    ASSERT_FALSE(conversion.Run({.params = params, .picture = source, .currentPicture = source})
                     .target.isEmpty());
    const auto before = conversion.Preview();
    ASSERT_EQ(before->pictureWidth, 368);

    const ConversionResult failed = conversion.Run({.params = params,
                                                    .picture = source,
                                                    .outputFolder = folder.File("missing"),
                                                    .currentPicture = source});
    EXPECT_TRUE(failed.target.isEmpty());
    EXPECT_TRUE(failed.error.contains("missing")) << failed.error.toStdString();
    EXPECT_EQ(failed.failure, ConversionFailure::CannotWrite);
    EXPECT_EQ(FailureReason(failed), "Der Ordner existiert nicht.");
    EXPECT_EQ(conversion.Preview(), before) << "the preview keeps its last good picture";

    conversion.SetTargetSize(params, 200);
    EXPECT_EQ(params.CompanionSize, 150);
    conversion.QuickPreview(params);
    EXPECT_EQ(conversion.Preview()->pictureWidth, 368);
}

TEST_F(ConversionTest, OnlyTheFinalPictureTouchesTheTarget) {
    // Faint noise encodes small; a strong contrast makes the final picture several times larger.
    QImage noise(400, 300, QImage::Format_RGB888);
    quint32 state = 1;
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < 400; ++x) {
            state = state * 1664525u + 1013904223u;
            const int v = 120 + static_cast<int>(state >> 28);
            noise.setPixel(x, y, qRgb(v, v, v));
        }
    }
    const QString source = Picture("noise.png", noise);
    const long long plain = FileSize(
        conversion.Run({.params = params, .picture = source, .currentPicture = source}).target);
    params.Contrast = 1000;
    const long long strong = FileSize(
        conversion.Run({.params = params, .picture = source, .currentPicture = source}).target);
    ASSERT_GT(strong, 2 * plain);

    // Room for the first encoding but not for the final one.
    const QString target = folder.File("saved.jpg");
    WriteAll(target, "the user's own file");
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = static_cast<rlim_t>((plain + strong) / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ConversionResult failed = conversion.Run(
        {.params = params, .picture = source, .outputName = target, .currentPicture = source});
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(failed.target.isEmpty());
    EXPECT_EQ(failed.systemError, EFBIG);
    EXPECT_EQ(ReadAll(target), "the user's own file");
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{"Temppic.jpg", "noise.png", "saved.jpg"}));
}

TEST_F(ConversionTest, SizeChangesFollowTheWrittenPictureAndWriteNothing) {
    conversion.SetTargetSize(params, 100);
    EXPECT_EQ(params.TargetSize, 100);
    EXPECT_EQ(params.CompanionSize, 480) << "no picture yet: no proportions to follow";
    conversion.QuickPreview(params);
    EXPECT_FALSE(QFileInfo::exists(folder.File("Temppic.jpg")));

    ASSERT_FALSE(conversion.Run({.params = params}).target.isEmpty()) << "the sample";
    conversion.SetTargetSize(params, 300);
    EXPECT_EQ(params.CompanionSize, 300 * 75 / 100) << "proportions of the written picture";
}

TEST_F(ConversionTest, QuickPreviewShowsWhatTheNextRunWillWriteWithoutWriting) {
    const QString source = Picture("p.png", QuarterPattern(400, 300));
    params.Brightness = 40;
    params.Orientation = 4;
    ASSERT_FALSE(conversion.Run({.params = params, .picture = source, .currentPicture = source})
                     .target.isEmpty());
    const QImage afterRun = conversion.Preview()->image;
    const QByteArray file = ReadAll(folder.File("Temppic.jpg"));

    params.Brightness = -20;
    conversion.QuickPreview(params);
    EXPECT_NE(conversion.Preview()->image, afterRun);
    params.Brightness = 40;
    conversion.QuickPreview(params);
    EXPECT_EQ(conversion.Preview()->image, afterRun) << "redrawn fresh, not adjusted twice";
    EXPECT_EQ(ReadAll(folder.File("Temppic.jpg")), file);
}

TEST_F(ConversionTest, RunsFromSeveralThreadsDoNotOverlap) {
    const QString a = Picture("a.png", QuarterPattern(640, 480));
    const QString b = Picture("b.png", QuarterPattern(300, 500));
    std::thread worker([&] {
        ConversionParams own;
        for (int i = 0; i < 6; ++i) {
            EXPECT_FALSE(conversion
                             .Run({.params = own,
                                   .picture = a,
                                   .outputFolder = folder.Path(),
                                   .currentPicture = a})
                             .target.isEmpty());
        }
    });
    for (int i = 0; i < 6; ++i) {
        conversion.Run({.params = params, .picture = b, .currentPicture = b});
        conversion.QuickPreview(params);
        conversion.SetTargetSize(params, 368);
        const auto frame = conversion.Preview();
        EXPECT_EQ(frame->image.width(), frame->pictureWidth);
    }
    worker.join();
    EXPECT_EQ(SizeOf(folder.File("a 368x276.jpg")), QSize(368, 276));
}

TEST_F(ConversionTest, HeldPreviewsWaitForTheReleaseWhileNamedRunsGoOn) {
    const QString source = Picture("p.png", QuarterPattern(400, 300));
    BackgroundConversion background(conversion);
    background.HoldPreviews(true);
    std::atomic<int> named{0};
    background.Recompute({.params = params, .picture = source, .currentPicture = source});
    background.QuickPreview(params);
    background.Recompute(
        {.params = params,
         .picture = source,
         .outputFolder = folder.Path(),
         .currentPicture = source},
        [&](const ConversionResult& result) { named += !result.target.isEmpty(); });
    background.WaitIdle();
    EXPECT_EQ(named, 1);
    EXPECT_FALSE(QFileInfo::exists(folder.File("Temppic.jpg"))) << "the preview run is held";

    background.HoldPreviews(false);
    background.WaitIdle();
    EXPECT_TRUE(QFileInfo::exists(folder.File("Temppic.jpg")));
}
