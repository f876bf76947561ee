#include <gtest/gtest.h>

#include "platform/files/TempFolder.h"

TEST(TempFolderTest, FallsBackFromTempToTmpdirToSlashTmp) {
    const QByteArray temp = qgetenv("TEMP");
    const QByteArray tmpdir = qgetenv("TMPDIR");
    qputenv("TEMP", "/t1");
    qputenv("TMPDIR", "/t2");
    EXPECT_EQ(TempFolder(), "/t1");
    qunsetenv("TEMP");
    EXPECT_EQ(TempFolder(), "/t2");
    qunsetenv("TMPDIR");
    EXPECT_EQ(TempFolder(), "/tmp");
    if (!temp.isNull()) {
        qputenv("TEMP", temp);
    }
    if (!tmpdir.isNull()) {
        qputenv("TMPDIR", tmpdir);
    }
}
