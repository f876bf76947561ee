#include <gtest/gtest.h>

#include <csignal>

#include <QBuffer>
#include <QImageWriter>

#include "imaging/ImageBuffer.h"
#include "imaging/Picture.h"
#include "imaging/codecs/PictureSource.h"
#include "platform/processes/EndingSignalNotifier.h"
#include "platform/processes/EndingSignals.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

namespace {

QByteArray Ico() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ico").write(QuarterPattern(32, 32));
    return bytes;
}

// Loads and draws `bytes` from a file, as a conversion does; the defect it ends with.
PictureDefect Outcome(const QByteArray& bytes, long long* decodeBytes = nullptr) {
    return LoadAndDraw(bytes, QSize(64, 48), nullptr, decodeBytes);
}

}  // namespace

TEST(HostileInput, CraftedFilesAreRefusedForWhatTheyAre) {
    const QByteArray progressive =
        EncodeWithCjpeg(QuarterPattern(64, 48), {"-progressive", "-sample", "1x1"});
    const QByteArray baseline = Encode(QuarterPattern(64, 48), "jpeg");
    const QByteArray heic = EncodeHeic(QuarterPattern(64, 64));
    struct Case {
        const char* what;
        QByteArray bytes;
        PictureDefect expected;
    };
    std::vector<Case> cases = {
        {"deflate TIFF of zeros claiming 12000 x 11000", DeflateTiffOfZeros(12000, 11000),
         PictureDefect::TooLarge},
        {"the same at 2000 x 1500 is a picture", DeflateTiffOfZeros(2000, 1500),
         PictureDefect::None},
        {"100,000 scans over 3000 x 2000",
         WithRepeatedScan(WithFrameSize(progressive, 3000, 2000), 100000),
         PictureDefect::TooManyScans},
        {"JPEG-in-TIFF claiming 5000 x 5000 of a 64 x 48 strip", JpegInTiff(baseline, 5000, 5000),
         PictureDefect::DamagedData},
        {"the same strip as a TIFF of its own size", JpegInTiff(baseline, 64, 48),
         PictureDefect::None},
        {"one with a tag libtiff warns of", JpegInTiff(baseline, 64, 48, true),
         PictureDefect::None},
        {"a TIFF as Qt writes it", Encode(QuarterPattern(64, 48), "tiff"), PictureDefect::None},
        {"400 scans, which is allowed", WithRepeatedScan(progressive, 390), PictureDefect::None},
        {"12-bit JPEG", WithFrameKind(baseline, 0xC1, 12), PictureDefect::UnreadKind},
        {"lossless JPEG", WithFrameKind(baseline, 0xC3, 8), PictureDefect::UnreadKind},
        {"ICO", Ico(), PictureDefect::UnreadKind},
        {"TGA", Tga(40, 30), PictureDefect::UnreadKind},
        {"MNG", QByteArray("\x8aMNG\r\n\x1a\n\0\0\0\x1cMHDR", 16) + QByteArray(32, '\0'),
         PictureDefect::UnreadKind},
        {"a JPEG with a start of noise", QByteArray("\xFF\xD8 nothing but noise"),
         PictureDefect::DamagedHeader},
        // Only the four bytes of a TIFF's order mark and version make one.
        {"text beginning with MM", QByteArray("MMXVI was a year, not a picture"),
         PictureDefect::NotAPicture},
        {"text beginning with II*", QByteArray("II** a list item"), PictureDefect::NotAPicture},
        {"a TIFF's mark and no more", QByteArray("II*\0", 4), PictureDefect::DamagedHeader},
    };
    if (!heic.isEmpty()) {
        cases.push_back(
            {"HEIC claiming 8000 x 7800", WithHeifSize(heic, 8000, 7800), PictureDefect::TooLarge});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Outcome(c.bytes), c.expected);
    }
}

TEST(HostileInput, CommentsCountAtWhatQtMakesOfThem) {
    const QByteArray jpeg = Encode(QuarterPattern(64, 48), "jpeg");
    long long plain = 0;
    long long commented = 0;
    ASSERT_EQ(Outcome(jpeg, &plain), PictureDefect::None);
    ASSERT_EQ(Outcome(WithComments(jpeg, 100), &commented), PictureDefect::None);
    EXPECT_GE(commented - plain, 5LL * 100 * 65535);
    // So many that what Qt would make of them breaks the memory rule before it reads them.
    EXPECT_EQ(Outcome(WithComments(jpeg, 1700)), PictureDefect::TooLarge);
}

TEST(HostileInput, TextsOfAPngCountAtWhatTheReadersMakeOfThem) {
    const QByteArray png = Encode(QuarterPattern(64, 48), "png");
    const QByteArray text = QByteArray("Comment") + '\0' + QByteArray(1000000, 'A');
    long long plain = 0;
    long long texted = 0;
    ASSERT_EQ(Outcome(png, &plain), PictureDefect::None);
    ASSERT_EQ(Outcome(WithPngChunk(png, "tEXt", text), &texted), PictureDefect::None);
    EXPECT_GE(texted - plain, 6LL * text.size());
    // So much that libpng's copy and Qt's texts of it break the memory rule.
    const QByteArray much = QByteArray("Comment") + '\0' + QByteArray(90 << 20, 'A');
    EXPECT_EQ(Outcome(WithPngChunk(png, "tEXt", much)), PictureDefect::TooLarge);
    EXPECT_EQ(Outcome(WithPngChunkClaiming(png, "tEXt", 0x7FFFFFF0u)),
              PictureDefect::DamagedHeader);
}

TEST(HostileInput, AReadErrorIsNeitherSuccessNorDamage) {
    const QByteArray bmp = Encode(QuarterPattern(200, 200), "bmp");
    const QByteArray jpeg = Encode(QuarterPattern(400, 300), "jpeg");
    const QByteArray png = Encode(QuarterPattern(300, 300), "png");
    // Drawn at 1/8 by a decoding of its own.
    const QByteArray progressive = EncodeWithCjpeg(QuarterPattern(800, 600), {"-progressive"});
    struct Case {
        const char* what;
        QByteArray bytes;
        qint64 failPast;
    };
    const Case cases[] = {
        {"BMP failing after 64 KiB", bmp, 64 * 1024},
        {"BMP failing in its header", bmp, 20},
        {"JPEG failing half way", jpeg, jpeg.size() / 2},
        {"PNG failing half way", png, png.size() / 2},
        {"progressive JPEG failing half way", progressive, progressive.size() / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureSource::FailReadsPast(c.failPast);
        EXPECT_EQ(Outcome(c.bytes), PictureDefect::ReadError);
        PictureSource::FailReadsPast(-1);
        EXPECT_EQ(Outcome(c.bytes), PictureDefect::None);
    }
}

TEST(HostileInput, AnEndingSignalStopsADecodingUnderWay) {
    InstallEndingSignalHandlers();
    TestFolder folder;
    WriteAll(folder.File("p.jpg"), Encode(QuarterPattern(800, 600), "jpeg"));
    CPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(folder.File("p.jpg")));
    ImageBuffer buffer;
    buffer.Create(100, 75);
    {
        // The window defers the first signal and closes; the decoding must not hold it up.
        EndingSignalNotifier notifier;
        ::raise(SIGTERM);
        EXPECT_TRUE(EndingRequested());
        EXPECT_FALSE(picture.Draw(&buffer.Dc(), CRect{0, 0, 100, 75}, false, false));
        EXPECT_TRUE(picture.LastError().startsWith("stopped")) << picture.LastError().toStdString();
    }
    EndingSignalNotifier another;  // a program part deferring anew starts without the request
    EXPECT_FALSE(EndingRequested());
    EXPECT_TRUE(picture.Draw(&buffer.Dc(), CRect{0, 0, 100, 75}, false, false));
}
