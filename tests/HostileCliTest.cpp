#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <thread>
#include <vector>

#include "support/TestFiles.h"

namespace {

const QString kConvert = QStringLiteral(PLENMAR_CONVERT);

QStringList Temporaries(const QString& folder) {
    return QDir(folder).entryList({".plenmar-*"}, QDir::Files | QDir::Hidden);
}

mode_t Mode(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode;
}

}  // namespace

TEST(HostileCli, AnOutputThatIsNoRegularFileIsWrittenIntoOrRefusedNeverReplaced) {
    TestFolder folder;
    const QString picture = folder.File("p.jpg");
    WriteAll(picture, Encode(QuarterPattern(80, 60), "jpeg"));

    // A pipe somebody reads gets the picture; the pipe stays a pipe.
    const QString pipe = folder.File("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile in(pipe);
        if (in.open(QIODevice::ReadOnly)) {
            received = in.readAll();
        }
    });
    const ProcessResult toPipe = RunProgram(kConvert, {picture, pipe});
    reader.join();
    EXPECT_EQ(toPipe.exitCode, 0) << toPipe.err.toStdString();
    EXPECT_TRUE(received.startsWith("\xFF\xD8"));
    EXPECT_TRUE(S_ISFIFO(Mode(pipe)));

    // One nobody reads would wait for ever: refused, and still a pipe.
    const ProcessResult unread = RunProgram(kConvert, {picture, pipe});
    EXPECT_EQ(unread.exitCode, 1);
    EXPECT_TRUE(unread.err.contains("no program reads from the pipe")) << unread.err.toStdString();
    EXPECT_TRUE(S_ISFIFO(Mode(pipe)));
    EXPECT_EQ(Temporaries(folder.Path()), QStringList{});

    // Standard output takes the picture alone, without its name.
    const ProcessResult toOut = RunProgram(kConvert, {picture, "/dev/stdout"});
    EXPECT_EQ(toOut.exitCode, 0);
    EXPECT_TRUE(toOut.out.startsWith("\xFF\xD8") && toOut.out.endsWith("\xFF\xD9"));
}

TEST(HostileCli, ReplacingKeepsPermissionsAndLinksAndNeverTheSourceItself) {
    TestFolder folder;
    const QString picture = folder.File("p.jpg");
    const QByteArray original = Encode(QuarterPattern(800, 600), "jpeg");
    WriteAll(picture, original);
    const QString privateOne = folder.File("private.jpg");
    WriteAll(privateOne, "old");
    ::chmod(QFile::encodeName(privateOne).constData(), 0600);
    const QString link = folder.File("link.jpg");
    ASSERT_TRUE(QFile::link("private.jpg", link));

    ASSERT_EQ(RunProgram(kConvert, {picture, privateOne}).exitCode, 0);
    EXPECT_EQ(Mode(privateOne) & 0777, 0600u);
    WriteAll(privateOne, "old");
    ::chmod(QFile::encodeName(privateOne).constData(), 0600);
    ASSERT_EQ(RunProgram(kConvert, {picture, link}).exitCode, 0);
    EXPECT_TRUE(S_ISLNK(Mode(link)));
    EXPECT_TRUE(ReadAll(privateOne).startsWith("\xFF\xD8"));
    EXPECT_EQ(Mode(privateOne) & 0777, 0600u);

    for (const QString& same : {picture, folder.Path() + "/./p.jpg", link}) {
        const QString source = same == link ? privateOne : picture;
        const QByteArray before = ReadAll(source);
        const ProcessResult run = RunProgram(kConvert, {source, same});
        EXPECT_EQ(run.exitCode, 2) << same.toStdString();
        EXPECT_EQ(ReadAll(source), before);
    }
    EXPECT_EQ(ReadAll(picture), original);
    EXPECT_EQ(Temporaries(folder.Path()), QStringList{});
}

TEST(HostileCli, PicturesWithOneResultNameAreNamed) {
    TestFolder from;
    TestFolder into;
    WriteAll(from.File("a.jpg"), Encode(Plain(80, 60, qRgb(250, 0, 0)), "jpeg"));
    WriteAll(from.File("a.gif"), EncodeGif(Plain(80, 60, qRgb(0, 0, 250))));
    WriteAll(from.File("b.jpg"), Encode(Plain(80, 60, qRgb(0, 250, 0)), "jpeg"));
    const ProcessResult run =
        RunProgram(kConvert, {"--jobs", "2", "--folder", from.Path(), into.Path()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QString::fromLocal8Bit(run.err).count("same result name"), 1)
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("a.gif: same result name as a.jpg; that result is replaced"));
    EXPECT_GT(qBlue(QImage(into.File("a 368x276.jpg")).pixel(5, 5)), 200) << "the later one stays";
}

TEST(HostileCli, StarvedResourcesGiveTheirReasonNeverASignalOrAHang) {
    TestFolder folder;
    const QString picture = folder.File("p.jpg");
    WriteAll(picture, WithFrameSize(Encode(QuarterPattern(80, 60), "jpeg"), 8000, 6000));
    struct Case {
        const char* what;
        int resource;
        long long limit;
        QStringList arguments;
        int status;
        const char* says;
    };
    std::vector<Case> cases = {
        {"little address space",
         RLIMIT_AS,
         100LL << 20,
         {"--size", "3000", picture, folder.File("o.jpg")},
         1,
         "not enough memory"},
        {"seven descriptors",
         RLIMIT_NOFILE,
         7,
         {picture, folder.File("o.jpg")},
         1,
         "too many open files"},
    };
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    cases.erase(cases.begin());  // the sanitizers' shadow memory needs more address space
#endif
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProcessResult run = RunLimited(kConvert, c.arguments, c.resource, c.limit);
        EXPECT_EQ(run.exitCode, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }

    // Many jobs, few descriptors: fewer files at once, all converted.
    TestFolder from;
    TestFolder into;
    for (int i = 0; i < 40; ++i) {
        WriteAll(from.File(QStringLiteral("p%1.jpg").arg(i)),
                 Encode(QuarterPattern(80, 60), "jpeg"));
    }
    const ProcessResult run =
        RunLimited(kConvert, {"--quiet", "--jobs", "32", "--folder", from.Path(), into.Path()},
                   RLIMIT_NOFILE, 20);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QDir(into.Path()).entryList(QDir::Files).size(), 40);
}

TEST(HostileCli, APngChunkClaimingMoreThanTheFileHoldsIsRefusedWithoutItsMemory) {
    // libpng takes the memory a text, palette or calibration chunk claims before it reads it:
    // a gigabyte for a file of 37 bytes, the way libpng's own crashers are made.
    TestFolder folder;
    const QByteArray png = Encode(QuarterPattern(8, 8), "png");
    for (const char* type : {"tEXt", "zTXt", "iTXt", "sPLT", "pCAL", "sCAL"}) {
        SCOPED_TRACE(type);
        const QString picture = folder.File(QStringLiteral("%1.png").arg(type));
        WriteAll(picture, WithPngChunkClaiming(png, type, 0x7FFFFFF0u));
        const ProcessResult run = RunProgram(kConvert, {picture, folder.File("o.jpg")});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.toStdString(),
                  "plenmar-convert: " + picture.toStdString() + ": damaged header\n")
            << "refused before libpng reads it, which would complain";
    }
    rusage usage{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 400L * 1024) << "kilobytes at the most of any run";
}

TEST(HostileCli, AClosedOutputPipeLeavesNoTemporaryFile) {
    TestFolder from;
    for (int i = 0; i < 40; ++i) {
        WriteAll(from.File(QStringLiteral("p%1.jpg").arg(i)),
                 Encode(QuarterPattern(300, 200), "jpeg"));
    }
    for (int round = 0; round < 5; ++round) {
        TestFolder into;
        RunProgram("sh", {"-c", "\"$0\" --jobs 8 --folder \"$1\" \"$2\" | head -n 1", kConvert,
                          from.Path(), into.Path()});
        EXPECT_EQ(Temporaries(into.Path()), QStringList{}) << "round " << round;
    }
}
