#include <gtest/gtest.h>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegFileWriter.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

namespace {

int WriteWith(const QImage& image, int quality, int dpi, const QString& path) {
    ImageBuffer buffer;
    buffer.Create(image.width(), image.height());
    Fill(buffer.Dc(), image);
    JpegFileWriter writer;
    writer.SetQuality(quality);
    writer.SetDensity(dpi, true);
    return writer.WriteFile(buffer.Section()->Bits(), image.width(), image.height(), path);
}

// The file from the first marker after the JFIF header on: everything but the density.
QByteArray AfterJfifHeader(const QByteArray& jpeg) {
    const int length =
        (static_cast<unsigned char>(jpeg[4]) << 8) | static_cast<unsigned char>(jpeg[5]);
    return jpeg.mid(4 + length);
}

class JpegWriter : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveProgram(QStringLiteral("cjpeg")) || !HaveProgram(QStringLiteral("djpeg"))) {
            GTEST_SKIP() << "needs cjpeg and djpeg (libjpeg-turbo-progs)";
        }
    }
    TestFolder folder;
};

}  // namespace

TEST_F(JpegWriter, EncodesExactlyAsTheReferenceEncoderWithBaselineQuality) {
    const QImage image = Busy(37, 23);
    WriteAll(folder.File("in.ppm"), ToPpm(image));
    const struct {
        int ours, reference;
    } qualities[] = {{1, 1}, {50, 50}, {70, 70}, {100, 100}, {-5, 0}, {150, 100}};
    for (const auto& q : qualities) {
        const QString ours = folder.File(QStringLiteral("ours%1.jpg").arg(q.ours));
        ASSERT_EQ(WriteWith(image, q.ours, 72, ours), JpegFileWriter::Ok);
        const ProcessResult reference = RunProgram(
            "cjpeg",
            {"-quality", QString::number(q.reference), "-baseline", folder.File("in.ppm")});
        ASSERT_EQ(reference.exitCode, 0);
        // Same tables, sampling and entropy coding: byte for byte after the JFIF header.
        EXPECT_EQ(AfterJfifHeader(ReadAll(ours)), AfterJfifHeader(reference.out))
            << "quality " << q.ours;
        WriteAll(folder.File("reference.jpg"), reference.out);
        EXPECT_EQ(DecodeWithDjpeg(ours), DecodeWithDjpeg(folder.File("reference.jpg")));
    }
}

TEST_F(JpegWriter, EncodesIntoMemoryTheBytesItWritesIntoAFile) {
    const QImage image = Busy(400, 300);  // many blocks of the library's output buffer
    ImageBuffer buffer;
    FillBuffer(buffer, image);
    for (int quality : {10, 90}) {
        const QString file = folder.File("file.jpg");
        ASSERT_EQ(WriteWith(image, quality, 96, file), JpegFileWriter::Ok);
        JpegFileWriter writer;
        writer.SetQuality(quality);
        writer.SetDensity(96, true);
        QByteArray inMemory("left over");
        ASSERT_EQ(writer.WriteMemory(buffer.Section()->Bits(), 400, 300, inMemory),
                  JpegFileWriter::Ok);
        EXPECT_GT(inMemory.size(), 3 * 4096);
        EXPECT_EQ(inMemory, ReadAll(file)) << "quality " << quality;
    }
}

TEST_F(JpegWriter, JfifHeaderCarriesTheResolution) {
    const QImage image = Plain(8, 8, qRgb(1, 2, 3));
    const struct {
        int dpi;
        char unit;
        int density;
    } cases[] = {{0, 0, 72}, {72, 1, 72}, {96, 1, 96}, {144, 1, 144}};
    for (const auto& c : cases) {
        const QString path = folder.File(QStringLiteral("d%1.jpg").arg(c.dpi));
        ASSERT_EQ(WriteWith(image, 70, c.dpi, path), JpegFileWriter::Ok);
        const QByteArray jpeg = ReadAll(path);
        ASSERT_EQ(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
        EXPECT_EQ(jpeg[11], 1);  // version 1.01
        EXPECT_EQ(jpeg[12], 1);
        EXPECT_EQ(jpeg[13], c.unit) << c.dpi;
        EXPECT_EQ(((uchar(jpeg[14]) << 8) | uchar(jpeg[15])), c.density);
        EXPECT_EQ(((uchar(jpeg[16]) << 8) | uchar(jpeg[17])), c.density);
        EXPECT_TRUE(jpeg.contains("\xFF\xC0")) << "baseline frame";
    }
}

TEST_F(JpegWriter, KeepsColoursAndTheTopRowOnTop) {
    const QString path = folder.File("pattern.jpg");
    ASSERT_EQ(WriteWith(QuarterPattern(64, 48), 90, 72, path), JpegFileWriter::Ok);
    const QImage decoded = DecodeWithDjpeg(path);
    ASSERT_EQ(decoded.size(), QSize(64, 48));
    const QRgb topLeft = decoded.pixel(4, 4);
    EXPECT_GT(qRed(topLeft), 200) << "red stays red";
    EXPECT_LT(qBlue(topLeft), 40);
    EXPECT_GT(qBlue(decoded.pixel(4, 44)), 200) << "the bottom stays at the bottom";

    for (int width : {1, 3, 4}) {
        const QString narrow = folder.File(QStringLiteral("w%1.jpg").arg(width));
        ASSERT_EQ(WriteWith(Plain(width, 5, qRgb(255, 0, 0)), 90, 72, narrow), JpegFileWriter::Ok);
        const QImage small = DecodeWithDjpeg(narrow);
        ASSERT_EQ(small.size(), QSize(width, 5));
        EXPECT_GT(qRed(small.pixel(width - 1, 4)), 200);
        EXPECT_LT(qBlue(small.pixel(width - 1, 4)), 40);
    }
}

TEST(JpegFileWriterFailures, ReturnInsteadOfEndingTheProcess) {
    const QImage image = Plain(64, 64, qRgb(9, 9, 9));
    EXPECT_EQ(WriteWith(image, 70, 72, "/nonexistent-folder/x.jpg"), JpegFileWriter::CannotCreate);

    ImageBuffer buffer;
    buffer.Create(512, 512);
    JpegFileWriter writer;
    writer.SetQuality(100);
    // A full disk: every write fails. The library's fatal error comes back as a result.
    EXPECT_EQ(writer.WriteFile(buffer.Section()->Bits(), 512, 512, "/dev/full"),
              JpegFileWriter::WriteFailed);
    EXPECT_FALSE(writer.ErrorText().isEmpty());
}
