#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QImageWriter>

#include "imaging/ImageBuffer.h"
#include "imaging/Picture.h"
#include "platform/emulation/MulDiv.h"
#include "support/BufferImages.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"

namespace {

bool LoadBytes(CPicture& picture, const QByteArray& bytes) {
    return picture.LoadFromMemory(bytes.constData(), bytes.size());
}

QImage DrawAt(CPicture& picture, int width, int height, CRect rect, bool keep, bool centre) {
    ImageBuffer buffer;
    EXPECT_TRUE(buffer.Create(width, height));
    EXPECT_TRUE(picture.Draw(&buffer.Dc(), rect, keep, centre));
    return ToImage(buffer.Dc());
}

bool IsBlack(QRgb pixel) {
    return qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 30;
}

int Brightness(QRgb pixel) {
    return (qRed(pixel) + qGreen(pixel) + qBlue(pixel)) / 3;
}

}  // namespace

TEST(Picture, SizesComeBackThroughHimetric) {
    EXPECT_EQ(MulDiv(26458, 96, 2540), 1000);
    EXPECT_EQ(MulDiv(19844, 96, 2540), 750);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3) << "halves away from zero";
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    for (int pixels : {1, 2, 3, 96, 367, 1000, 4000, 65535}) {
        EXPECT_EQ(MulDiv(MulDiv(pixels, 2540, 96), 96, 2540), pixels);
    }
}

TEST(Picture, LoadsEveryFormatTheDialogsOffer) {
    const QImage pattern = QuarterPattern(120, 90);
    for (const char* format : {"jpeg", "gif", "bmp", "png"}) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, Encode(pattern, format))) << format;
        EXPECT_EQ(picture.Width(), 120) << format;
        EXPECT_EQ(picture.Height(), 90) << format;
        const QImage drawn = DrawAt(picture, 120, 90, {0, 0, 120, 90}, true, true);
        EXPECT_GT(qRed(drawn.pixel(20, 20)), 200) << format;
        EXPECT_GT(qBlue(drawn.pixel(20, 70)), 200) << format;
    }
}

TEST(Picture, TheBuiltInSampleIsA320By240Jpeg) {
    CPicture picture;
    ASSERT_TRUE(picture.LoadFromResource(144, "JPG"));
    EXPECT_EQ(picture.Width(), 320);
    EXPECT_EQ(picture.Height(), 240);
}

TEST(Picture, KeepAspectFitsAndCentresWithTruncatingArithmetic) {
    CPicture wide;
    ASSERT_TRUE(LoadBytes(wide, Encode(Plain(1000, 667, qRgb(255, 255, 255)), "png")));
    QImage drawn = DrawAt(wide, 368, 245, {0, 0, 368, 245}, true, false);
    EXPECT_FALSE(IsBlack(drawn.pixel(366, 100)));
    EXPECT_TRUE(IsBlack(drawn.pixel(367, 100))) << "245 x 1000 / 667 = 367 columns";

    CPicture landscape;
    ASSERT_TRUE(LoadBytes(landscape, Encode(Plain(1000, 750, qRgb(255, 255, 255)), "png")));
    drawn = DrawAt(landscape, 368, 368, {0, 0, 368, 368}, true, true);
    EXPECT_TRUE(IsBlack(drawn.pixel(100, 45)));
    EXPECT_FALSE(IsBlack(drawn.pixel(100, 46)));
    EXPECT_FALSE(IsBlack(drawn.pixel(100, 321)));
    EXPECT_TRUE(IsBlack(drawn.pixel(100, 322)));

    drawn = DrawAt(landscape, 40, 30, {0, 0, 40, 30}, true, true);
    EXPECT_FALSE(IsBlack(drawn.pixel(0, 0))) << "exact proportions cover the whole rectangle";
    EXPECT_FALSE(IsBlack(drawn.pixel(39, 29)));

    drawn = DrawAt(landscape, 50, 50, {-10, 5, 30, 35}, false, false);
    EXPECT_FALSE(IsBlack(drawn.pixel(0, 5))) << "drawing is clipped at the edges";
    EXPECT_TRUE(IsBlack(drawn.pixel(30, 5)));
}

TEST(Picture, FailuresLeaveItEmptyAndSpeakOnlyWhereTheyShould) {
    RecordingPrompts prompts;
    TestFolder folder;
    CPicture picture;
    ASSERT_TRUE(picture.LoadFromResource(144, "JPG"));

    EXPECT_FALSE(picture.LoadFromFile(folder.File("missing.jpg")));
    EXPECT_TRUE(picture.IsEmpty()) << "the earlier picture was released first";
    EXPECT_EQ(picture.Width(), 0);

    WriteAll(folder.File("empty.jpg"), {});
    EXPECT_FALSE(picture.LoadFromFile(folder.File("empty.jpg")));

    WriteAll(folder.File("garbage.jpg"), QByteArray(5000, 'x'));
    EXPECT_FALSE(picture.LoadFromFile(folder.File("garbage.jpg")));
    EXPECT_EQ(picture.Height(), 0);

    const QByteArray noise("\xFF\xD8\xFF\xE0 this is not a picture at all", 34);
    EXPECT_FALSE(LoadBytes(picture, noise)) << "undecodable data is a failure here too";
    EXPECT_TRUE(picture.IsEmpty());
    EXPECT_TRUE(prompts.Messages().empty());

    EXPECT_FALSE(picture.LoadFromResource(145, "JPG"));
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].caption, "CPicture Error");
    EXPECT_EQ(prompts.Messages()[0].text, "FindResource() Failed\t");

    ImageBuffer none;
    EXPECT_FALSE(picture.Draw(&none.Dc(), {0, 0, 10, 10}, true, true)) << "no picture";
    ASSERT_TRUE(picture.LoadFromResource(144, "JPG"));
    EXPECT_FALSE(picture.Draw(&none.Dc(), {0, 0, 10, 10}, true, true)) << "no bitmap";
    EXPECT_EQ(prompts.Texts().last(), "Can not allocate enough memory\t");
    EXPECT_FALSE(picture.Draw(nullptr, {0, 0, 10, 10}, true, true));
}

TEST(Picture, ExifOrientationMakesThePictureUpright) {
    const QByteArray stored = Encode(QuarterPattern(120, 90), "jpeg");
    const struct {
        int orientation;
        int width, height;
        QRgb topLeftChannel;  // which quarter ends up at the top-left
    } cases[] = {{1, 120, 90, qRgb(255, 0, 0)},
                 {3, 120, 90, qRgb(255, 255, 255)},
                 {6, 90, 120, qRgb(0, 0, 255)},
                 {8, 90, 120, qRgb(0, 255, 0)}};
    for (const auto& c : cases) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, WithExifOrientation(stored, c.orientation)));
        EXPECT_EQ(picture.Width(), c.width) << c.orientation;
        EXPECT_EQ(picture.Height(), c.height) << c.orientation;
        for (const QSize size : {QSize(c.width, c.height), QSize(c.width / 3, c.height / 3)}) {
            const QImage drawn = DrawAt(picture, size.width(), size.height(),
                                        {0, 0, size.width(), size.height()}, true, true);
            const QRgb p = drawn.pixel(2, 2);
            EXPECT_EQ(qRed(p) > 128, qRed(c.topLeftChannel) > 128)
                << c.orientation << " " << size.width();
            EXPECT_EQ(qGreen(p) > 128, qGreen(c.topLeftChannel) > 128) << c.orientation;
            EXPECT_EQ(qBlue(p) > 128, qBlue(c.topLeftChannel) > 128) << c.orientation;
        }
    }
}

TEST(Picture, DrawingAgainAtTheSameSizeDoesNotDecodeAgain) {
    CPicture picture;
    ASSERT_TRUE(LoadBytes(picture, Encode(QuarterPattern(800, 600), "jpeg")));
    EXPECT_EQ(picture.DecodeCount(), 0) << "a JPEG is decoded when drawn, at the size drawn";
    DrawAt(picture, 100, 75, {0, 0, 100, 75}, true, true);
    DrawAt(picture, 100, 75, {0, 0, 100, 75}, true, false);
    EXPECT_EQ(picture.DecodeCount(), 1);
    DrawAt(picture, 200, 150, {0, 0, 200, 150}, true, true);
    EXPECT_EQ(picture.DecodeCount(), 2);
}

TEST(Picture, ScalesByAveragingDownAndInterpolatingUp) {
    QImage checker(800, 800, QImage::Format_RGB888);
    for (int y = 0; y < 800; ++y) {
        for (int x = 0; x < 800; ++x) {
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        }
    }
    for (const char* format : {"jpeg", "bmp"}) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, Encode(checker, format, 100)));
        const QImage drawn = DrawAt(picture, 100, 100, {0, 0, 100, 100}, false, false);
        for (int i = 5; i < 95; i += 9) {
            const int grey = Brightness(drawn.pixel(i, (i * 7) % 100));
            EXPECT_GT(grey, 80) << format
                                << ": a fine checker shrinks to grey, not to black or white";
            EXPECT_LT(grey, 175) << format;
        }
    }
    QImage pair(2, 1, QImage::Format_RGB888);
    pair.setPixel(0, 0, qRgb(0, 0, 0));
    pair.setPixel(1, 0, qRgb(255, 255, 255));
    CPicture small;
    ASSERT_TRUE(LoadBytes(small, Encode(pair, "png")));
    const QImage wide = DrawAt(small, 100, 1, {0, 0, 100, 1}, false, false);
    const int middle = Brightness(wide.pixel(50, 0));
    EXPECT_GT(middle, 40) << "enlarging interpolates";
    EXPECT_LT(middle, 215);
}

TEST(Picture, TransparentPartsShowTheBlackBelow) {
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgba(255, 255, 255, 255));
    image.setPixel(1, 0, qRgba(255, 255, 255, 128));
    CPicture picture;
    ASSERT_TRUE(LoadBytes(picture, Encode(image, "png")));
    const QImage drawn = DrawAt(picture, 10, 10, {0, 0, 10, 10}, false, false);
    EXPECT_EQ(drawn.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(drawn.pixel(1, 0), qRgb(128, 128, 128));
    EXPECT_EQ(drawn.pixel(5, 5), qRgb(0, 0, 0));
}

TEST(Picture, TopDownBitmapsLoadUpright) {
    const QByteArray bottomUp = Encode(QuarterPattern(120, 90), "bmp");
    for (const QByteArray& bmp : {bottomUp, StoredTopDown(bottomUp)}) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, bmp)) << picture.LastError().toStdString();
        EXPECT_EQ(picture.Height(), 90);
        const QImage drawn = DrawAt(picture, 120, 90, {0, 0, 120, 90}, false, false);
        EXPECT_GT(qRed(drawn.pixel(5, 5)), 200);
        EXPECT_GT(qBlue(drawn.pixel(5, 85)), 200);
    }
}

TEST(Picture, WholeDecodingsWaitForTheDrawingAndCountWhatTheDecoderHolds) {
    const QImage pattern = QuarterPattern(120, 90);
    const long long opaque = 4 * 120 * 90;
    const struct {
        QByteArray bytes;
        long long decodeBytes;
    } cases[] = {
        {Encode(pattern, "bmp"), opaque},
        {Encode(pattern.convertToFormat(QImage::Format_Indexed8), "bmp"), opaque + 120 * 90},
        {Encode(pattern, "gif"), 2 * opaque}};
    for (const auto& c : cases) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, c.bytes));
        EXPECT_EQ(picture.DecodeBytes(), c.decodeBytes);
        EXPECT_EQ(picture.DecodeCount(), 0) << "decoded under the budget, when drawn";
        DrawAt(picture, 60, 45, {0, 0, 60, 45}, false, false);
        DrawAt(picture, 30, 20, {0, 0, 30, 20}, false, false);
        EXPECT_EQ(picture.DecodeCount(), 1);
    }
    // 43 bytes claiming 11500 x 11500 pixels with a transparent colour: refused unread.
    CPicture bomb;
    EXPECT_FALSE(LoadBytes(bomb, QByteArray::fromHex("474946383961ec2cec2c800000000000ffffff21f9"
                                                     "0401000000002c00000000ec2cec2c0002024c01"
                                                     "003b")));
    EXPECT_TRUE(bomb.LastError().contains("MiB")) << bomb.LastError().toStdString();
}

TEST(Picture, HugePicturesDecodeSmallOrNotAtAll) {
    const QByteArray small = Encode(QuarterPattern(64, 48), "jpeg");
    // A 100-megapixel photo: decoded at 1/8 scale when drawn small.
    CPicture photo;
    ASSERT_TRUE(LoadBytes(photo, WithFrameSize(small, 10000, 10000, false)));
    EXPECT_EQ(photo.Width(), 10000);
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(368, 368));
    EXPECT_TRUE(photo.Draw(&buffer.Dc(), {0, 0, 368, 368}, true, true));

    // A progressive picture keeps all its coefficients while decoding: far too many here.
    CPicture bomb;
    EXPECT_FALSE(LoadBytes(bomb, WithFrameSize(small, 60000, 60000, true)));
    EXPECT_FALSE(bomb.LastError().isEmpty());

    // A bitmap is decoded whole: a header claiming 30000 x 30000 pixels is refused.
    QByteArray bmp = Encode(Plain(4, 4, qRgb(1, 2, 3)), "bmp");
    const qint32 side = 30000;
    std::memcpy(bmp.data() + 18, &side, 4);
    std::memcpy(bmp.data() + 22, &side, 4);
    CPicture claimed;
    EXPECT_FALSE(LoadBytes(claimed, bmp));
}

TEST(Picture, AFileThatChangesBeforeItIsDrawnIsNotDrawn) {
    RecordingPrompts prompts;
    TestFolder folder;
    const QString path = folder.File("p.jpg");
    WriteAll(path, Encode(QuarterPattern(400, 300), "jpeg"));
    CPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(path));
    // Replaced by another picture of the same size in the meantime.
    WriteAll(folder.File("other.jpg"), Encode(Plain(400, 300, qRgb(0, 255, 0)), "jpeg"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::rename(folder.File("other.jpg"), path));
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(100, 75));
    EXPECT_FALSE(picture.Draw(&buffer.Dc(), {0, 0, 100, 75}, true, true));
    EXPECT_TRUE(picture.LastError().contains("changed")) << picture.LastError().toStdString();
    EXPECT_FALSE(picture.RanOutOfMemory());
    EXPECT_TRUE(prompts.Messages().empty()) << "an unreadable picture is no memory shortage";

    ASSERT_TRUE(picture.LoadFromFile(path));
    EXPECT_TRUE(picture.Draw(&buffer.Dc(), {0, 0, 100, 75}, true, true));
    EXPECT_GT(qGreen(ToImage(buffer.Dc()).pixel(50, 40)), 200);
}

TEST(Picture, EveryJpegOfSeveralScansCountsTheCoefficientsItsDecodingKeeps) {
    if (!HaveProgram(QStringLiteral("cjpeg"))) {
        GTEST_SKIP() << "needs cjpeg (libjpeg-turbo-progs)";
    }
    const QImage pattern = QuarterPattern(64, 48);
    // Bytes of coefficients a block keeps while the smallest drawing is decoded: all 64
    // values for several scans, the DC value alone for a progressive file drawn at 1/8.
    const struct {
        QStringList options;
        const char* scans;
        long long blockBytes;
    } cases[] = {{{"-sample", "1x1"}, "0;1;2;", 128},
                 {{"-sample", "1x1"}, "0;1,2;", 128},
                 {{"-sample", "1x1", "-arithmetic"}, "0;1;2;", 128},
                 {{"-sample", "1x1", "-progressive"}, "", 2},
                 {{"-sample", "1x1", "-arithmetic"}, "0,1,2;", 0},
                 {{"-sample", "1x1"}, "0,1,2;", 0}};
    for (const auto& c : cases) {
        const std::string name = (c.options.join(' ') + ' ' + c.scans).toStdString();
        const QByteArray jpeg = EncodeWithCjpeg(pattern, c.options, c.scans);
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, jpeg)) << name;
        EXPECT_GT(qRed(DrawAt(picture, 64, 48, {0, 0, 64, 48}, false, false).pixel(5, 5)), 200);

        // 250 x 250 blocks per component: 1/8-scale pixels and the coefficients on top,
        // which a folder run's budget must see.
        ASSERT_TRUE(LoadBytes(picture, WithFrameSize(jpeg, 2000, 2000))) << name;
        const long long pixels = 4LL * 250 * 250;
        EXPECT_EQ(picture.DecodeBytes(), pixels + 3LL * 250 * 250 * c.blockBytes) << name;
        // At 20000 x 20000 all coefficients would take 2.4 GB, DC values alone 37.5 MB.
        EXPECT_EQ(LoadBytes(picture, WithFrameSize(jpeg, 20000, 20000)), c.blockBytes != 128)
            << name;
    }
}

TEST(Picture, OnlyRegularFilesAreOpenedAndAFifoNeverBlocks) {
    TestFolder folder;
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.File("pipe.jpg")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.Path()).mkdir("folder.jpg"));
    for (const QString& path :
         {folder.File("pipe.jpg"), folder.File("folder.jpg"), QStringLiteral("/dev/zero")}) {
        CPicture picture;
        EXPECT_FALSE(picture.LoadFromFile(path)) << path.toStdString();
        EXPECT_TRUE(picture.LastError().startsWith("not a regular file"))
            << picture.LastError().toStdString();
    }
}

TEST(Picture, DamagedPicturesAreDrawnButSayWhatIsWrong) {
    const QByteArray jpeg = Encode(QuarterPattern(160, 120), "jpeg");
    const qsizetype scan = jpeg.indexOf("\xFF\xDA");
    const QByteArray bmp = Encode(QuarterPattern(160, 120), "bmp");
    QByteArray restarts =
        HaveProgram("cjpeg") ? EncodeWithCjpeg(QuarterPattern(160, 120), {"-restart", "1"}) : jpeg;
    restarts.replace("\xFF\xD1", "\xFF\xD5");  // the second restart marker out of turn
    const struct {
        const char* name;
        QByteArray bytes;
        PictureDefect defect;
    } cases[] = {{"whole", jpeg + "trailing bytes", PictureDefect::None},
                 {"cut after the scan header", jpeg.left(scan + 14), PictureDefect::CutOff},
                 {"cut in the data", jpeg.left(jpeg.size() - 200), PictureDefect::CutOff},
                 {"restart out of turn", restarts, PictureDefect::DamagedData},
                 {"bitmap", bmp, PictureDefect::None},
                 {"bitmap cut in half", bmp.left(bmp.size() / 2), PictureDefect::CutOff}};
    for (const auto& c : cases) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, c.bytes)) << c.name;
        DrawAt(picture, 160, 120, {0, 0, 160, 120}, false, false);
        EXPECT_EQ(picture.Defect(), c.defect) << c.name;
    }
    // What a cut-off bitmap lacks (its top rows: they are stored last) is black.
    CPicture half;
    ASSERT_TRUE(LoadBytes(half, bmp.left(bmp.size() / 2)));
    EXPECT_EQ(DrawAt(half, 160, 120, {0, 0, 160, 120}, false, false).pixel(150, 5), qRgb(0, 0, 0));
}

TEST(Picture, MessagesSayWhatIsWrong) {
    const QByteArray jpeg = Encode(QuarterPattern(64, 48), "jpeg");
    const QByteArray bmp = Encode(QuarterPattern(64, 48), "bmp");
    QByteArray noWidth = bmp;
    std::memset(noWidth.data() + 18, 0, 4);
    QByteArray vast = bmp;  // sizes whose product with the bits a pixel passes 2^63
    std::memcpy(vast.data() + 18, "\x00\x00\x00\x80\xff\xff\xff\x7f\x01\x00\xff\xff", 12);
    const struct {
        const char* name;
        QByteArray bytes;
        const char* text;
    } cases[] = {
        {"garbage", QByteArray(5000, 'x'),
         "not a picture (JPEG, GIF, BMP, PNG, TIFF, WebP or HEIC)"},
        {"JPEG cut in its tables", jpeg.left(100), "cut off"},
        {"JPEG whose data does not decode", WithUndefinedQuantTable(jpeg), "damaged data"},
        {"bitmap cut in its header", bmp.left(20), "cut off"},
        {"bitmap without pixels", bmp.left(54), "cut off"},
        {"bitmap of no width", noWidth, "damaged header"},
        {"bitmap of negative width", vast, "damaged header"},
        {"GIF of garbage", QByteArray("GIF89a") + QByteArray(30, '\x7f'), "damaged header"}};
    for (const auto& c : cases) {
        CPicture picture;
        ImageBuffer buffer;
        ASSERT_TRUE(buffer.Create(8, 8));
        EXPECT_FALSE(LoadBytes(picture, c.bytes) && picture.Draw(&buffer.Dc(), {0, 0, 8, 8}, 0, 0))
            << c.name;
        EXPECT_EQ(picture.LastError().toStdString(), c.text) << c.name;
    }
}

TEST(Picture, ADrawingThatWouldPassTheLimitIsRefusedBeforeAnythingIsDecoded) {
    // Loaded by their smallest decoding, drawn large they would take more: a JPEG of several
    // scans decoded at 1/2 instead of 1/8, a bitmap next to a drawing of 3000 x 3000.
    QByteArray bmp = Encode(Plain(4, 4, qRgb(1, 2, 3)), "bmp");
    const qint32 side = 11500;
    std::memcpy(bmp.data() + 18, &side, 4);
    std::memcpy(bmp.data() + 22, &side, 4);
    QList<QByteArray> pictures{bmp};
    if (HaveProgram("cjpeg")) {
        pictures << WithFrameSize(
            EncodeWithCjpeg(QuarterPattern(64, 48), {"-sample", "1x1", "-progressive"}), 9392,
            9392);
    }
    for (const QByteArray& bytes : pictures) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, bytes));
        EXPECT_LT(picture.DrawingBytes(368, 368), 512LL << 20);
        EXPECT_GT(picture.DrawingBytes(3000, 3000), 512LL << 20);
        ImageBuffer buffer;
        ASSERT_TRUE(buffer.Create(3000, 3000));
        EXPECT_FALSE(picture.Draw(&buffer.Dc(), {0, 0, 3000, 3000}, false, false));
        EXPECT_EQ(picture.Defect(), PictureDefect::TooLarge);
        EXPECT_EQ(picture.DecodeCount(), 0);
    }
}

namespace {

QImage Tagged(QImage image, const QColorSpace& space) {
    image.setColorSpace(space);
    return image;
}

// Each channel within `tolerance` of the expected colour.
void ExpectColour(QRgb actual, QRgb expected, int tolerance, const std::string& name) {
    EXPECT_NEAR(qRed(actual), qRed(expected), tolerance) << name;
    EXPECT_NEAR(qGreen(actual), qGreen(expected), tolerance) << name;
    EXPECT_NEAR(qBlue(actual), qBlue(expected), tolerance) << name;
}

}  // namespace

TEST(Picture, ColoursOfAnotherColourSpaceComeOutInSRgb) {
    const QByteArray adobe = AdobeRgbProfile();
    if (adobe.isEmpty()) {
        GTEST_SKIP() << "needs icc-profiles-free";
    }
    const QColorSpace adobeSpace = QColorSpace::fromIccProfile(adobe);
    const QImage green = Plain(64, 48, qRgb(113, 199, 48));  // sRGB (8, 200, 5) in Adobe RGB
    const QImage red = Plain(64, 48, qRgb(234, 51, 35));     // sRGB (255, 0, 0) in Display P3
    const QByteArray jpeg = Encode(green, "jpeg", 95);
    const struct {
        const char* name;
        QByteArray bytes;
        QRgb expected;
    } cases[] = {
        {"JPEG in Adobe RGB", WithIccProfile(jpeg, adobe), qRgb(8, 200, 5)},
        {"JPEG in Display P3",
         WithIccProfile(Encode(red, "jpeg", 95), QColorSpace(QColorSpace::DisplayP3).iccProfile()),
         qRgb(255, 0, 0)},
        {"JPEG in sRGB", WithIccProfile(jpeg, QColorSpace(QColorSpace::SRgb).iccProfile()),
         qRgb(113, 199, 48)},
        {"JPEG without a profile", jpeg, qRgb(113, 199, 48)},
        {"PNG in Adobe RGB", Encode(Tagged(green, adobeSpace), "png"), qRgb(8, 200, 5)},
        {"TIFF in Adobe RGB", Encode(Tagged(green, adobeSpace), "tiff"), qRgb(8, 200, 5)},
        {"WebP in Adobe RGB", Encode(Tagged(green, adobeSpace), "webp", 100), qRgb(8, 200, 5)},
    };
    for (const auto& c : cases) {
        // Whole and at 1/8 scale: a JPEG's two ways of decoding.
        for (const QSize size : {QSize(64, 48), QSize(8, 6)}) {
            CPicture picture;
            ASSERT_TRUE(LoadBytes(picture, c.bytes)) << c.name;
            const QImage drawn = DrawAt(picture, size.width(), size.height(),
                                        {0, 0, size.width(), size.height()}, false, false);
            ExpectColour(drawn.pixel(size.width() / 2, size.height() / 2), c.expected, 4,
                         c.name + std::string(" at ") + std::to_string(size.width()));
        }
    }
    // sRGB's own profile changes nothing, byte for byte.
    CPicture plain, srgb;
    ASSERT_TRUE(LoadBytes(plain, jpeg));
    ASSERT_TRUE(LoadBytes(srgb, cases[2].bytes));
    EXPECT_EQ(DrawAt(plain, 40, 30, {0, 0, 40, 30}, false, false),
              DrawAt(srgb, 40, 30, {0, 0, 40, 30}, false, false));
}

TEST(Picture, WebpAndTiffAreReadUpright) {
    const QImage pattern = QuarterPattern(120, 90);
    QByteArray turnedTiff;
    {
        QBuffer buffer(&turnedTiff);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        writer.setTransformation(QImageIOHandler::TransformationRotate90);
        ASSERT_TRUE(writer.write(pattern));
    }
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;
        QRgb topLeft;
    } cases[] = {{"WebP", Encode(pattern, "webp", 100), {120, 90}, qRgb(255, 0, 0)},
                 {"WebP lossy", Encode(pattern, "webp", 80), {120, 90}, qRgb(255, 0, 0)},
                 {"TIFF", Encode(pattern, "tiff"), {120, 90}, qRgb(255, 0, 0)},
                 {"TIFF turned", turnedTiff, {90, 120}, qRgb(0, 0, 255)}};
    for (const auto& c : cases) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, c.bytes)) << c.name;
        EXPECT_EQ(QSize(picture.Width(), picture.Height()), c.size) << c.name;
        const QImage drawn = DrawAt(picture, c.size.width() / 2, c.size.height() / 2,
                                    {0, 0, c.size.width() / 2, c.size.height() / 2}, false, false);
        ExpectColour(drawn.pixel(3, 3), c.topLeft, 40, c.name);
        EXPECT_EQ(picture.Defect(), PictureDefect::None) << c.name;
    }
}

TEST(Picture, HeicPhotosAreReadUprightAndInSRgb) {
    if (!HaveProgram("heif-enc")) {
        GTEST_SKIP() << "needs heif-enc (libheif-examples)";
    }
    const QByteArray stored = EncodeHeic(QuarterPattern(64, 48));
    const QByteArray adobe = AdobeRgbProfile();
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;
        QRgb topLeft;
    } cases[] = {
        {"as stored", stored, {64, 48}, qRgb(255, 0, 0)},
        {"a quarter turn anticlockwise", WithHeifTurn(stored, 1), {48, 64}, qRgb(0, 255, 0)},
        {"a half turn", WithHeifTurn(stored, 2), {64, 48}, qRgb(255, 255, 255)},
        {"three quarter turns", WithHeifTurn(stored, 3), {48, 64}, qRgb(0, 0, 255)},
        {"Adobe RGB",
         EncodeHeic(Tagged(Plain(64, 48, qRgb(113, 199, 48)), QColorSpace::fromIccProfile(adobe))),
         {64, 48},
         adobe.isEmpty() ? qRgb(113, 199, 48) : qRgb(8, 200, 5)}};
    for (const auto& c : cases) {
        CPicture picture;
        ASSERT_TRUE(LoadBytes(picture, c.bytes))
            << c.name << ": " << picture.LastError().toStdString();
        EXPECT_EQ(QSize(picture.Width(), picture.Height()), c.size) << c.name;
        for (const int part : {1, 4}) {
            const QSize size = c.size / part;
            const QImage drawn = DrawAt(picture, size.width(), size.height(),
                                        {0, 0, size.width(), size.height()}, false, false);
            ExpectColour(drawn.pixel(2, 2), c.topLeft, 40, c.name);
        }
        EXPECT_EQ(picture.DecodeCount(), 1) << c.name << ": decoded whole, once";
    }
}

TEST(Picture, HeicFilesAreCountedByWhatTheirDecoderMakes) {
    if (!HaveProgram("heif-enc")) {
        GTEST_SKIP() << "needs heif-enc (libheif-examples)";
    }
    const QByteArray heic = EncodeHeic(QuarterPattern(160, 120));
    CPicture picture;
    ASSERT_TRUE(LoadBytes(picture, heic));
    EXPECT_GE(picture.DecodeBytes(), 8LL * 160 * 120) << "libheif's planes and ours";

    // Claiming 30000 x 30000 pixels: refused unread.
    EXPECT_FALSE(LoadBytes(picture, WithHeifSize(heic, 30000, 30000)));
    EXPECT_EQ(picture.Defect(), PictureDefect::TooLarge);

    // Claiming less than the stream holds: counted by the stream, and not drawn.
    ASSERT_TRUE(LoadBytes(picture, WithHeifSize(heic, 16, 12)));
    EXPECT_GE(picture.DecodeBytes(), 8LL * 160 * 120);
    ImageBuffer buffer;
    ASSERT_TRUE(buffer.Create(16, 12));
    EXPECT_FALSE(picture.Draw(&buffer.Dc(), {0, 0, 16, 12}, false, false));
    EXPECT_EQ(picture.Defect(), PictureDefect::DamagedData);

    const struct {
        const char* name;
        QByteArray bytes;
        PictureDefect defect;
    } damaged[] = {{"cut in its data", heic.left(heic.size() - 100), PictureDefect::CutOff},
                   {"cut in its boxes", heic.left(200), PictureDefect::CutOff},
                   {"boxes of noise", heic.left(40) + QByteArray(160, 'x') + heic.mid(200),
                    PictureDefect::DamagedHeader}};
    for (const auto& c : damaged) {
        CPicture broken;
        const bool drawn =
            LoadBytes(broken, c.bytes) && broken.Draw(&buffer.Dc(), {0, 0, 16, 12}, false, false);
        EXPECT_FALSE(drawn) << c.name;
        EXPECT_EQ(broken.Defect(), c.defect) << c.name << ": " << broken.LastError().toStdString();
    }
}
