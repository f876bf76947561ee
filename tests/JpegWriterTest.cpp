#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegFileWriter.h"
#include "imaging/JpegSaver.h"
#include "imaging/QualityFit.h"
#include "platform/OutputFile.h"
#include "platform/TemporaryFile.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

namespace {

// Pixels no encoder setting can hide: every channel varies, in an odd-sized picture.
QImage Busy(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y,
                           qRgb((x * 37 + y * 11) & 255, (x * x + y * 3) & 255, (y * 29) & 255));
        }
    }
    return image;
}

void FillBuffer(ImageBuffer& buffer, const QImage& image) {
    ASSERT_TRUE(buffer.Create(image.width(), image.height()));
    Fill(buffer.Dc(), image);
}

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

TEST(JpegSaverTest, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    TestFolder folder;
    const QString target = folder.File("out.jpg");
    WriteAll(target, "old content");
    ImageBuffer buffer;
    FillBuffer(buffer, QuarterPattern(40, 30));
    JpegSaver saver;
    ASSERT_TRUE(saver.SaveBitmapAsJpeg(target, &buffer.Dc(), 70, -1, -1, 72));
    EXPECT_EQ(ReadAll(target).left(2), QByteArray("\xFF\xD8"));
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.jpg"});

    // A crop limit copies only the top-left region.
    ASSERT_TRUE(saver.SaveBitmapAsJpeg(target, &buffer.Dc(), 70, 10, 20, 72));
    QImage cropped;
    ASSERT_TRUE(cropped.load(target));
    EXPECT_EQ(cropped.size(), QSize(20, 10));
}

TEST(JpegSaverTest, TemporaryFilesAreHiddenAndNoPicturesAndGoUnlessCommitted) {
    TestFolder folder;
    const QString target = folder.File("out.jpg");
    QString kept;
    {
        TemporaryFile dropped(target);
        ASSERT_NE(dropped.Stream(), nullptr);
        const QFileInfo info(dropped.Path());
        EXPECT_EQ(info.absolutePath(), folder.Path());
        EXPECT_TRUE(info.fileName().startsWith(".plenmar-")) << info.fileName().toStdString();
        EXPECT_TRUE(info.fileName().endsWith(".tmp"));
        EXPECT_TRUE(info.exists());
        TemporaryFile other(target);
        EXPECT_NE(other.Path(), dropped.Path());
        kept = other.Path();
        EXPECT_EQ(std::fputs("new", other.Stream()), 1);
        EXPECT_TRUE(other.Commit());
    }
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.jpg"});
    EXPECT_EQ(ReadAll(target), "new");
}

TEST(JpegSaverTest, AFailedSaveKeepsTheOldTargetAndCleansUp) {
    TestFolder folder;
    ImageBuffer buffer;
    FillBuffer(buffer, Plain(8, 8, qRgb(0, 0, 255)));
    JpegSaver saver;

    EXPECT_FALSE(saver.SaveBitmapAsJpeg("", &buffer.Dc(), 70, -1, -1, 72));
    EXPECT_FALSE(
        saver.SaveBitmapAsJpeg(folder.File("missing/out.jpg"), &buffer.Dc(), 70, -1, -1, 72));
    EXPECT_FALSE(saver.LastError().isEmpty());

    // A target that cannot be replaced (a folder): it stays, the temporary file goes.
    ASSERT_TRUE(QDir(folder.Path()).mkdir("taken.jpg"));
    QDir(folder.Path()).mkdir("taken.jpg/inside");
    EXPECT_FALSE(saver.SaveBitmapAsJpeg(folder.File("taken.jpg"), &buffer.Dc(), 70, -1, -1, 72));
    EXPECT_TRUE(QFileInfo(folder.File("taken.jpg/inside")).isDir());
    EXPECT_EQ(QDir(folder.Path()).entryList(QDir::Files | QDir::Hidden), QStringList{});

    CDC empty;
    EXPECT_FALSE(saver.SaveBitmapAsJpeg(folder.File("e.jpg"), &empty, 70, -1, -1, 72));
}

TEST(QualityFit, FindsTheHighestQualityThatFitsAsASearchByHandWould) {
    // The real encoder's sizes, and made-up ones that fall where a JPEG's sometimes do.
    ImageBuffer buffer;
    FillBuffer(buffer, Busy(97, 61));
    JpegFileWriter writer;
    std::vector<long long> real;
    for (int quality = 0; quality <= 100; ++quality) {
        QByteArray out;
        writer.SetQuality(quality);
        ASSERT_EQ(writer.WriteMemory(buffer.Section()->Bits(), 97, 61, out), JpegFileWriter::Ok);
        real.push_back(out.size());
    }
    std::vector<long long> dip(101);
    for (int quality = 0; quality <= 100; ++quality) {
        dip[quality] = 1000 + 10 * quality - (quality == 60 ? 200 : 0);
    }
    const struct {
        const char* name;
        const std::vector<long long>& sizes;
        int upper;
        long long limit;
    } cases[] = {
        {"the quality asked for fits", real, 70, real[70]},
        {"half of it", real, 90, real[90] / 2},
        {"just above quality 0", real, 100, real[0] + 1},
        {"no quality fits", real, 100, *std::min_element(real.begin(), real.end()) - 1},
        {"an upper bound of 0", real, 0, real[0] - 1},
        {"a dip below its neighbours", dip, 100, 1500},
        {"the dip itself", dip, 100, 1405},
    };
    for (const auto& c : cases) {
        int encodings = 0;
        const QualityFit fit = FitQuality(c.upper, c.limit, [&](int quality) {
            ++encodings;
            return c.sizes[quality];
        });
        // By hand: the highest quality that fits, walking down from the bound.
        int byHand = c.upper;
        while (byHand > 0 && c.sizes[byHand] > c.limit) {
            --byHand;
        }
        EXPECT_EQ(fit.fits, c.sizes[byHand] <= c.limit) << c.name;
        EXPECT_EQ(fit.bytes, c.sizes[fit.quality]) << c.name;
        EXPECT_LE(encodings, 9) << c.name;
        if (fit.fits) {
            EXPECT_LE(fit.bytes, c.limit) << c.name;
            EXPECT_TRUE(fit.quality == c.upper || c.sizes[fit.quality + 1] > c.limit) << c.name;
        } else {
            EXPECT_EQ(fit.quality, 0) << c.name;
        }
        if (&c.sizes == &real) {
            EXPECT_EQ(fit.quality, byHand) << c.name << ": the real sizes grow with the quality";
        }
    }
    // An encoding that fails ends the search.
    EXPECT_EQ(FitQuality(80, 10, [](int) { return -1LL; }).bytes, -1);
}

TEST(OutputFile, AnOwnerOnlyFileIsNeverOpenToOthers) {
    const mode_t savedMask = ::umask(022);
    TestFolder folder;
    const struct {
        const char* what;
        int before;  // the target's mode; -1: no target yet
        OutputFile::Access access;
        unsigned after;
    } cases[] = {
        {"new, owner only", -1, OutputFile::Access::OwnerOnly, 0600},
        {"over one others could read, owner only", 0644, OutputFile::Access::OwnerOnly, 0600},
        {"over a group's, owner only", 0660, OutputFile::Access::OwnerOnly, 0600},
        {"new, as the umask says", -1, OutputFile::Access::AsTarget, 0644},
        {"over one of its own, as before", 0640, OutputFile::Access::AsTarget, 0640},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = folder.File("out.jpg");
        QFile::remove(target);
        if (c.before >= 0) {
            WriteAll(target, "old");
            ::chmod(QFile::encodeName(target).constData(), static_cast<mode_t>(c.before));
        }
        OutputFile output(target, c.access);
        ASSERT_NE(output.Stream(), nullptr);
        struct stat writing {};
        ASSERT_EQ(::fstat(::fileno(output.Stream()), &writing), 0);
        if (c.access == OutputFile::Access::OwnerOnly) {
            EXPECT_EQ(writing.st_mode & 0777, 0600u) << "while it is written";
        }
        std::fputs("new", output.Stream());
        ASSERT_TRUE(output.Commit());
        struct stat written {};
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &written), 0);
        EXPECT_EQ(written.st_mode & 0777, c.after);
        EXPECT_EQ(ReadAll(target), "new");
    }
    ::umask(savedMask);
}
