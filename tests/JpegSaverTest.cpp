#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "imaging/ImageBuffer.h"
#include "imaging/JpegSaver.h"
#include "platform/emulation/DrawingContext.h"
#include "support/BufferImages.h"
#include "support/TestFiles.h"

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
