#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <memory>

#include "support/TestFiles.h"
#include "workflow/Conversion.h"

namespace {

class ConvertCli : public ::testing::Test {
protected:
    ProcessResult Convert(const QStringList& arguments) {
        // Settings would land in this folder; the converter must write none.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.Path()));
        return RunProgram(QStringLiteral(PLENMAR_CONVERT), arguments);
    }
    QString Put(const QString& name, const QByteArray& bytes) {
        WriteAll(source.File(name), bytes);
        return source.File(name);
    }
    static QStringList Lines(const QByteArray& out) {
        return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
    }
    static QStringList Names(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    TestFolder source;
    TestFolder destination;
    TestFolder config;
};

}  // namespace

TEST_F(ConvertCli, ConvertsOnePictureToTheSameBytesAsTheProgramsSaveAs) {
    const QString picture = Put("Urlaub.bmp", Encode(QuarterPattern(800, 600), "bmp"));
    const QString output = destination.File("klein.jpg");
    const ProcessResult run = Convert({"--quality", "55", "--brightness", "10", "--orientation",
                                       "5", "--resolution", "96", picture, output});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(Lines(run.out), QStringList{output});
    EXPECT_EQ(QImageReader(output).size(), QSize(276, 368));

    ConversionParams params;
    params.Quality = 55;
    params.Brightness = 10;
    params.Orientation = 5;
    params.Resolution = 96;
    Conversion program(destination.File("Temppic.jpg"));
    const QString saved = destination.File("saved.jpg");
    ASSERT_EQ(program
                  .Run({.params = params,
                        .picture = picture,
                        .outputName = saved,
                        .currentPicture = picture})
                  .target,
              saved);
    EXPECT_EQ(ReadAll(output), ReadAll(saved));
    EXPECT_TRUE(QDir(config.Path()).isEmpty()) << "no settings written";
}

TEST_F(ConvertCli, ClampsTheSizeAndRefusesWrongUsage) {
    const QString picture = Put("p.png", Encode(QuarterPattern(80, 60), "png"));
    ASSERT_EQ(Convert({"--size", "2", picture, destination.File("tiny.jpg")}).exitCode, 0);
    EXPECT_EQ(QImageReader(destination.File("tiny.jpg")).size(), QSize(5, 3));
    ASSERT_EQ(Convert({"--size", "4000", "--quiet", picture, destination.File("big.jpg")}).out, "");
    EXPECT_EQ(QImageReader(destination.File("big.jpg")).size(), QSize(3000, 2250));

    for (const QStringList& wrong : {QStringList{"--orientation", "8", picture, "x.jpg"},
                                     QStringList{"--jobs", "0", "--folder", "a", "b"},
                                     QStringList{"--quality", "high", picture, "x.jpg"},
                                     QStringList{"--sharpen", picture, "x.jpg"},
                                     QStringList{"--max-kb", "0", picture, "x.jpg"},
                                     QStringList{"--recursive", picture, "x.jpg"},
                                     QStringList{"--folder", "--formats", "xcf", "a", "b"},
                                     QStringList{picture}, QStringList{"--size"}}) {
        const ProcessResult run = Convert(wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage: plenmar-convert")) << wrong.join(' ').toStdString();
    }
    const ProcessResult help = Convert({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--black-and-white"));
    const ProcessResult version = Convert({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("plenmar-convert 0.")) << version.out.toStdString();
    // Negative values and the --name=value form.
    ASSERT_EQ(
        Convert({"--brightness", "-30", "--size=40", picture, destination.File("d.jpg")}).exitCode,
        0);
    EXPECT_EQ(QImageReader(destination.File("d.jpg")).size(), QSize(40, 30));
}

TEST_F(ConvertCli, NamesAPictureItCannotReadAndWritesNothingForIt) {
    const QString broken = Put("broken.jpg", "\xFF\xD8 nothing but noise");
    const QString output = destination.File("out.jpg");
    const ProcessResult run = Convert({broken, output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("broken.jpg")) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(output));
    EXPECT_TRUE(Names(destination.Path()).isEmpty()) << "no temporary file left";

    const ProcessResult missing = Convert({source.File("missing.jpg"), output});
    EXPECT_EQ(missing.exitCode, 1);
}

TEST_F(ConvertCli, FolderRunTakesThePatternsInOrderAndSkipsWhatItCannotRead) {
    const QImage picture = QuarterPattern(800, 600);
    Put("b.jpg", Encode(picture, "jpeg"));
    Put("a.gif", Encode(picture, "gif"));
    Put("c.bmp", Encode(picture, "bmp"));
    Put("d.png", Encode(picture, "png"));
    Put("UPPER.JPG", Encode(QuarterPattern(600, 800), "jpeg"));
    Put("broken.jpeg", "not a picture");
    QDir(source.Path()).mkpath("sub");
    QDir(source.Path()).mkpath("folder.jpg");
    WriteAll(source.File("sub/inner.jpg"), Encode(picture, "jpeg"));

    const ProcessResult run = Convert({"--folder", source.Path(), destination.Path()});
    EXPECT_EQ(run.exitCode, 1) << "one picture failed";
    const QString d = destination.Path() + '/';
    EXPECT_EQ(Lines(run.out),
              (QStringList{d + "UPPER 276x368.jpg", d + "b 368x276.jpg", d + "a 368x276.jpg",
                           d + "c 368x276.jpg", d + "d 368x276.jpg"}));
    EXPECT_TRUE(run.err.contains("broken.jpeg")) << run.err.toStdString();
    EXPECT_EQ(Names(destination.Path()),
              (QStringList{"UPPER 276x368.jpg", "a 368x276.jpg", "b 368x276.jpg", "c 368x276.jpg",
                           "d 368x276.jpg"}));

    // Into its own folder: the results are not converted a second time, in that run nor in the
    // next, which names them as results beside their pictures.
    const ProcessResult again = Convert({"--folder", "--quiet", source.Path(), source.Path()});
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(Names(source.Path()).size(), 6 + 5);
    const ProcessResult third = Convert({"--folder", "--quiet", source.Path(), source.Path()});
    EXPECT_EQ(Names(source.Path()).size(), 6 + 5);
    for (const char* result : {"UPPER 276x368.jpg", "a 368x276.jpg", "d 368x276.jpg"}) {
        EXPECT_TRUE(third.err.contains(QByteArray(result) + ": skipped: already shrunk"))
            << result << third.err.toStdString();
    }
}

TEST_F(ConvertCli, ParallelFolderRunsGiveTheSameFilesAsOneAtATime) {
    for (int i = 0; i < 6; ++i) {
        Put(QStringLiteral("p%1.jpg").arg(i),
            Encode(QuarterPattern(300 + 40 * i, 200 + 10 * i), "jpeg"));
    }
    // Same name and size: the later pass (the GIF) must win, however the work is shared out.
    Put("x.jpg", Encode(Plain(400, 300, qRgb(250, 0, 0)), "jpeg"));
    Put("x.gif", Encode(Plain(400, 300, qRgb(0, 0, 250)), "gif"));

    TestFolder serial;
    const ProcessResult one = Convert({"--folder", "--jobs", "1", source.Path(), serial.Path()});
    const ProcessResult many =
        Convert({"--folder", "--jobs", "3", source.Path(), destination.Path()});
    ASSERT_EQ(one.exitCode, 0) << one.err.toStdString();
    ASSERT_EQ(many.exitCode, 0) << many.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(many.out).replace(destination.Path(), "D"),
              QString::fromUtf8(one.out).replace(serial.Path(), "D"));
    const QStringList names = Names(serial.Path());
    ASSERT_EQ(names.size(), 7);
    EXPECT_EQ(Names(destination.Path()), names);
    for (const QString& name : names) {
        EXPECT_EQ(ReadAll(destination.File(name)), ReadAll(serial.File(name)))
            << name.toStdString();
    }
    EXPECT_GT(qBlue(QImage(destination.File("x 368x276.jpg")).pixel(5, 5)), 200);
}

TEST_F(ConvertCli, FolderRunNeedsBothFolders) {
    Put("a.jpg", Encode(QuarterPattern(80, 60), "jpeg"));
    const ProcessResult run = Convert({"--folder", source.Path(), destination.File("nowhere")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("nowhere"));
    EXPECT_FALSE(QFileInfo::exists(destination.File("nowhere")));
    EXPECT_EQ(Convert({"--folder", source.File("nothing"), destination.Path()}).exitCode, 1);

    // An empty folder is converted without complaint.
    TestFolder empty;
    const ProcessResult none = Convert({"--folder", empty.Path(), destination.Path()});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out, "");
}

TEST_F(ConvertCli, NoTemporaryFileOutlivesASignalThatEndsARun) {
    for (int i = 0; i < 8; ++i) {
        Put(QStringLiteral("p%1.jpg").arg(i), Encode(QuarterPattern(1200, 900), "jpeg"));
    }
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TestFolder target;
        QProcess run;
        StartWithStandardSignals(run);
        run.start(QStringLiteral(PLENMAR_CONVERT),
                  {"--folder", "--jobs", "2", "--size", "3000", "--quality", "100", source.Path(),
                   target.Path()});
        ASSERT_TRUE(run.waitForStarted());
        // Catch the run with a temporary file under way, held still while it is looked at.
        const QDeadlineTimer deadline(60000);
        bool caught = false;
        while (!caught && run.state() == QProcess::Running && !deadline.hasExpired()) {
            if (!QDir(target.Path())
                     .entryList({".plenmar-*"}, QDir::Files | QDir::Hidden)
                     .isEmpty()) {
                ::kill(static_cast<pid_t>(run.processId()), SIGSTOP);
                caught = !QDir(target.Path())
                              .entryList({".plenmar-*"}, QDir::Files | QDir::Hidden)
                              .isEmpty();
                if (caught) {
                    ::kill(static_cast<pid_t>(run.processId()), signal);
                }
                ::kill(static_cast<pid_t>(run.processId()), SIGCONT);
            }
            run.waitForFinished(1);
        }
        ASSERT_TRUE(caught) << "signal " << signal << ": no temporary file seen";
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitStatus(), QProcess::CrashExit) << "ended by signal " << signal;
        for (const QString& name : Names(target.Path())) {
            EXPECT_TRUE(name.endsWith(" 3000x2250.jpg")) << name.toStdString();
            EXPECT_EQ(QImageReader(target.File(name)).size(), QSize(3000, 2250));
        }
    }
}

TEST_F(ConvertCli, AFileSizeLimitIsAFailedWriteThatKeepsTheOldFile) {
    const QString picture = Put("p.jpg", Encode(QuarterPattern(1200, 900), "jpeg"));
    const QString output = destination.File("out.jpg");
    WriteAll(output, "old");
    // 64 blocks of 512 bytes: far less than the picture needs.
    const ProcessResult run =
        RunProgram("sh", {"-c", "ulimit -f 64 && exec \"$0\" \"$@\"", PLENMAR_CONVERT, "--size",
                          "3000", "--quality", "100", picture, output});
    EXPECT_EQ(run.exitCode, 1) << "a write failure, not the end of the process";
    EXPECT_TRUE(run.err.contains("File too large")) << run.err.toStdString();
    EXPECT_EQ(Names(destination.Path()), QStringList{"out.jpg"});
    EXPECT_EQ(ReadAll(output), "old");
}

TEST_F(ConvertCli, WarnsOfDamagedPicturesAndKeepsTheDecodersQuiet) {
    const QByteArray jpeg = Encode(QuarterPattern(400, 300), "jpeg");
    const QString cut = Put("cut.jpg", jpeg.left(jpeg.size() - 300));
    QByteArray profile("ICC_PROFILE\0\x01\x01", 14);
    profile += QByteArray(200, 'x');  // no colour profile at all
    QByteArray segment("\xFF\xE2", 2);
    segment += char((profile.size() + 2) >> 8);
    segment += char((profile.size() + 2) & 0xFF);
    Put("icc.jpg", jpeg.left(2) + segment + profile + jpeg.mid(2));

    const ProcessResult one = Convert({cut, destination.File("out.jpg")});
    EXPECT_EQ(one.exitCode, 0) << "converted, if damaged";
    EXPECT_EQ(one.err, "plenmar-convert: " + cut.toUtf8() +
                           ": warning: cut off; converted what could be read\n");
    EXPECT_EQ(QImageReader(destination.File("out.jpg")).size(), QSize(368, 276));

    const ProcessResult folder = Convert({"--folder", source.Path(), destination.Path()});
    EXPECT_EQ(folder.exitCode, 0);
    EXPECT_EQ(folder.err, one.err) << "nothing about the colour profile";
    EXPECT_EQ(Lines(folder.out).size(), 2);

    // libtiff's own complaints stay off the terminal too.
    const QByteArray tiff = Encode(QuarterPattern(400, 300), "tiff");
    const QString cutTiff = Put("cut.tif", tiff.left(tiff.size() / 2));
    const ProcessResult fromTiff = Convert({cutTiff, destination.File("tiff.jpg")});
    for (const QString& line : Lines(fromTiff.err)) {
        EXPECT_TRUE(line.startsWith("plenmar-convert: ")) << line.toStdString();
    }
    // A kind libtiff does not read is named as such, not as damage, and libtiff's "Sorry"
    // stays off the terminal.
    const QString floating = Put("float.tif", PlainTiff(2, 1, 1, 64, 3, QByteArray(16, '\0')));
    const ProcessResult fromFloat = Convert({floating, destination.File("float.jpg")});
    EXPECT_EQ(fromFloat.exitCode, 1);
    EXPECT_EQ(fromFloat.err, "plenmar-convert: " + floating.toUtf8() +
                                 ": a kind of picture this program does not read\n");
}

TEST_F(ConvertCli, NamesThatAreNotUtf8AreNeverLeftOutSilently) {
    const QByteArray jpeg = Encode(QuarterPattern(80, 60), "jpeg");
    Put("ok.jpg", jpeg);
    Put(QStringLiteral("Müller.jpg"), jpeg);
    const QByteArray latin1 = QFile::encodeName(source.Path()) + "/M\xFCller.jpg";
    std::FILE* file = std::fopen(latin1.constData(), "wb");
    ASSERT_NE(file, nullptr);
    // Qt cannot see the file to remove it with the folder.
    const std::unique_ptr<const char, int (*)(const char*)> removed(latin1.constData(), ::unlink);
    std::fwrite(jpeg.constData(), 1, static_cast<std::size_t>(jpeg.size()), file);
    std::fclose(file);
    ASSERT_EQ(::mkfifo(QFile::encodeName(source.File("pipe.jpg")).constData(), 0600), 0);

    const ProcessResult run = Convert({"--folder", source.Path(), destination.Path()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(Names(destination.Path()),
              (QStringList{QStringLiteral("Müller 368x276.jpg"), "ok 368x276.jpg"}));
    const QString err = QString::fromUtf8(run.err);
    EXPECT_TRUE(
        err.contains(source.Path() + "/M\\xfcller.jpg: skipped: the name is not valid UTF-8"))
        << err.toStdString();
    EXPECT_TRUE(err.contains("pipe.jpg: skipped: not a regular file")) << err.toStdString();

    // Named on the command line, as the picture or as the result: refused, not misread.
    for (const char* arguments :
         {"\"$(printf 'M\\374ller.jpg')\" out.jpg", "ok.jpg \"$(printf 'out\\374.jpg')\""}) {
        const ProcessResult one =
            RunProgram("sh", {"-c", QStringLiteral("cd \"$1\" && exec \"$0\" %1").arg(arguments),
                              PLENMAR_CONVERT, source.Path()});
        EXPECT_EQ(one.exitCode, 1) << arguments;
        EXPECT_TRUE(one.err.contains("\\xfc") && one.err.contains("not a valid UTF-8 name"))
            << one.err.toStdString();
    }
    EXPECT_EQ(Names(source.Path()).filter("out").size(), 0);
}

namespace {

// A photo's worth of detail: sizes that move with every step of the quality.
QImage Grainy(int width, int height) {
    QImage image = QuarterPattern(width, height);
    QRandomGenerator generator(7);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(generator.bounded(64));
            const QRgb p = image.pixel(x, y);
            image.setPixel(x, y, qRgb(qRed(p) / 2 + grain, qGreen(p) / 2 + grain, qBlue(p) / 2));
        }
    }
    return image;
}

}  // namespace

TEST_F(ConvertCli, ASizeLimitTakesTheHighestQualityThatFits) {
    const QString picture = Put("grain.png", Encode(Grainy(900, 600), "png"));
    const QString fixed = destination.File("fixed.jpg");
    ASSERT_EQ(Convert({"--size", "600", "--quality", "80", picture, fixed}).exitCode, 0);
    const long long atEighty = QFileInfo(fixed).size();

    const struct {
        long long kb;
        int status;
    } cases[] = {{(atEighty + 999) / 1000, 0}, {atEighty / 2000, 0}, {atEighty / 4000, 0}, {1, 1}};
    for (const auto& c : cases) {
        const QString output = destination.File(QStringLiteral("%1.jpg").arg(c.kb));
        const ProcessResult run = Convert({"--size", "600", "--quality", "80", "--max-kb",
                                           QString::number(c.kb), picture, output});
        const std::string name = std::to_string(c.kb) + " Kb";
        EXPECT_EQ(run.exitCode, c.status) << name << run.err.toStdString();
        const QStringList lines = Lines(run.out);
        ASSERT_EQ(lines.size(), 1) << name;
        ASSERT_TRUE(lines[0].startsWith(output + " (quality ")) << lines[0].toStdString();
        const int quality = lines[0].section("(quality ", 1).chopped(1).toInt();
        const long long bytes = QFileInfo(output).size();
        if (c.status == 0) {
            EXPECT_LE(bytes, c.kb * 1000) << name;
            // One step up would not have fitted: the same run with a limit just above this
            // file's size never settles lower.
            if (quality < 80) {
                const ProcessResult wider =
                    Convert({"--size", "600", "--quality", "80", "--max-kb",
                             QString::number(c.kb + 1), picture, destination.File("wider.jpg")});
                EXPECT_GE(Lines(wider.out).value(0).section("(quality ", 1).chopped(1).toInt(),
                          quality)
                    << name;
            }
        } else {
            EXPECT_EQ(quality, 0);
            EXPECT_GT(bytes, 1000);
            EXPECT_TRUE(run.err.contains("quality 0")) << run.err.toStdString();
        }
        if (quality == 80) {
            EXPECT_EQ(ReadAll(output), ReadAll(fixed))
                << "a limit that is not reached changes nothing";
        }
    }
}

TEST_F(ConvertCli, RecursiveRunsMirrorTheTreeAndTakeTheFormatsAsked) {
    const QImage picture = QuarterPattern(400, 300);
    QDir tree(source.Path());
    for (const char* folder : {"a/b", ".hidden", "out"}) {
        tree.mkpath(folder);
    }
    Put("top.jpg", Encode(picture, "jpeg"));
    Put("a/mid.gif", Encode(picture, "gif"));
    Put("a/b/deep.jpg", Encode(picture, "jpeg"));
    Put("a/b/web.webp", Encode(picture, "webp"));
    Put("a/b/scan.TIFF", Encode(picture, "tiff"));
    Put(".hidden/secret.jpg", Encode(picture, "jpeg"));
    Put("out/old.jpg", Encode(picture, "jpeg"));
    ASSERT_EQ(::symlink("..", QFile::encodeName(source.File("a/loop")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(source.File("a")).constData(),
                        QFile::encodeName(source.File("link")).constData()),
              0);

    // Into a folder inside the source, which is never entered.
    const QString out = source.File("out");
    const struct {
        QStringList options;
        QStringList written;
    } cases[] = {
        {{},
         {"top 368x276.jpg", "a/mid 368x276.jpg", "a/b/deep 368x276.jpg", "a/b/web 368x276.jpg",
          "a/b/scan 368x276.jpg"}},
        {{"--formats", "jpg,gif"},
         {"top 368x276.jpg", "a/mid 368x276.jpg", "a/b/deep 368x276.jpg"}},
        {{"--formats", "webp,TIF,tiff,jpg"},
         {"top 368x276.jpg", "a/b/web 368x276.jpg", "a/b/scan 368x276.jpg",
          "a/b/deep 368x276.jpg"}},
    };
    for (const auto& c : cases) {
        QDir(out).removeRecursively();
        tree.mkpath("out");
        Put("out/old.jpg", Encode(picture, "jpeg"));
        const ProcessResult run = Convert(QStringList{"--folder", "--recursive", "--jobs", "2"} +
                                          c.options + QStringList{source.Path(), out});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList written;
        for (const QString& line : Lines(run.out)) {
            written << QDir(out).relativeFilePath(line);
        }
        EXPECT_EQ(written, c.written) << c.options.join(' ').toStdString();
        QStringList files;
        QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files << QDir(out).relativeFilePath(it.next());
        }
        EXPECT_TRUE(files.removeOne("old.jpg")) << "the destination inside the source left alone";
        files.sort();
        QStringList expected = c.written;
        expected.sort();
        EXPECT_EQ(files, expected) << c.options.join(' ').toStdString();
    }
    // The same bytes as a run on the subfolder alone.
    const ProcessResult alone = Convert({"--folder", source.File("a/b"), destination.Path()});
    ASSERT_EQ(alone.exitCode, 0);
    EXPECT_EQ(ReadAll(destination.File("deep 368x276.jpg")),
              ReadAll(out + "/a/b/deep 368x276.jpg"));
}

TEST_F(ConvertCli, LoadsLibheifAndLibtiffOnlyWhenItMeetsTheirFiles) {
    const QByteArray heic = EncodeHeic(QuarterPattern(64, 48));
    if (heic.isEmpty()) {
        GTEST_SKIP() << "needs heif-enc (libheif-examples)";
    }
    const QString jpeg = Put("plain.jpg", Encode(QuarterPattern(64, 48), "jpeg"));
    const QString heif = Put("phone.heic", heic);
    const QString tiff = Put("scan.tif", Encode(QuarterPattern(64, 48), "tiff"));
    const struct {
        const char* name;
        QStringList arguments;
        bool loadsLibheif;
        bool loadsLibtiff;
    } cases[] = {
        {"--version", {"--version"}, false, false},
        {"a JPEG", {jpeg, destination.File("plain out.jpg")}, false, false},
        {"a HEIC file", {heif, destination.File("phone out.jpg")}, true, false},
        {"a TIFF file", {tiff, destination.File("scan out.jpg")}, false, true},
    };
    // The dynamic loader names every library it loads on standard error.
    qputenv("LD_DEBUG", "files");
    for (const auto& c : cases) {
        const ProcessResult run = Convert(c.arguments);
        EXPECT_EQ(run.exitCode, 0) << c.name;
        EXPECT_EQ(run.err.contains("libheif.so.1"), c.loadsLibheif) << c.name;
        EXPECT_EQ(run.err.contains("libtiff.so"), c.loadsLibtiff) << c.name;
    }
    qunsetenv("LD_DEBUG");
    EXPECT_EQ(QImageReader(destination.File("phone out.jpg")).size(), QSize(368, 276));
}
