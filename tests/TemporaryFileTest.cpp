#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "platform/files/TemporaryFile.h"
#include "support/TestFiles.h"

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
