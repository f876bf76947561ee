#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <cstdio>

#include "platform/files/OutputFile.h"
#include "support/TestFiles.h"

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

TEST(OutputFileTest, ANamePutInTheTargetsPlaceWhileWritingLendsItNoPermissions) {
    TestFolder folder;
    const QString target = folder.File("neu.jpg");
    const QString open = folder.File("offen.txt");
    WriteAll(open, "");
    ::chmod(QFile::encodeName(open).constData(), 0666);
    const mode_t mask = ::umask(022);
    OutputFile output(target);
    ASSERT_NE(output.Stream(), nullptr);
    // Someone puts a link to a file anyone may write in the new name's place.
    ASSERT_TRUE(QFile::link(open, target));
    std::fputs("Bild", output.Stream());
    ASSERT_TRUE(output.Commit());
    ::umask(mask);
    struct stat written {};
    ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &written), 0);
    EXPECT_TRUE(S_ISREG(written.st_mode)) << "the link itself is replaced";
    EXPECT_EQ(written.st_mode & 0777, 0644u) << "as a new file, not as the link's target";
    EXPECT_EQ(ReadAll(open), "");
}
