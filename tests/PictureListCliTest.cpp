#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFileInfo>
#include <map>

#include "support/TestFiles.h"

namespace {

const QString kConvert = QStringLiteral(PLENMAR_CONVERT);

QStringList ErrorLines(const ProcessResult& run) {
    return QString::fromLocal8Bit(run.err).split(QStringLiteral("\nplenmar-convert: "),
                                                 Qt::SkipEmptyParts);
}

}  // namespace

TEST(PictureList, ListsConvertAsOneStartPerPictureAndNameWhatFailed) {
    TestFolder source;
    QDir(source.Path()).mkpath("a");
    QDir(source.Path()).mkpath("b");
    const QString ax = source.File("a/x.jpg");
    const QString bx = source.File("b/x.jpg");
    const QString gif = source.File("d.gif");
    const QString newline = source.File("new\nline.png");
    const QString missing = source.File("missing.jpg");
    // A result of an earlier run beside its picture: a folder run leaves it alone, a list
    // converts it as named.
    const QString shrunk = source.File("d 368x294.jpg");
    WriteAll(ax, Encode(Plain(400, 300, qRgb(250, 0, 0)), "jpeg"));
    WriteAll(bx, Encode(Plain(400, 300, qRgb(0, 0, 250)), "jpeg"));
    WriteAll(gif, Encode(QuarterPattern(500, 400), "gif"));
    WriteAll(newline, Encode(QuarterPattern(300, 200), "png"));
    WriteAll(shrunk, Encode(QuarterPattern(368, 294), "jpeg"));
    // One start per picture: what every list must give, byte for byte.
    TestFolder single;
    std::map<QString, QByteArray> alone;
    for (const QString& picture : {ax, bx, gif, newline, shrunk}) {
        const QString output = single.File(QString::number(alone.size()) + ".jpg");
        ASSERT_EQ(RunProgram(kConvert, {picture, output}).exitCode, 0);
        alone[picture] = ReadAll(output);
    }
    const QString nulList = source.File("nul.list");
    WriteAll(nulList, QFile::encodeName(newline) + '\0' + QFile::encodeName(gif) + '\0');
    const QString emptyList = source.File("empty.list");
    WriteAll(emptyList, {});

    const struct {
        const char* name;
        QStringList arguments;  // before -o FOLDER
        QByteArray input;
        int status;
        std::map<QString, QString> results;  // file name -> the picture it is made of
        QStringList errors;                  // what each line on standard error names
    } cases[] = {
        {"named on the command line",
         {ax, gif, missing},
         {},
         1,
         {{"x 368x276.jpg", ax}, {"d 368x294.jpg", gif}},
         {"missing.jpg: "}},
        {"a list on standard input, a line empty",
         {"--files-from", "-"},
         QFile::encodeName(ax) + "\n\n" + QFile::encodeName(gif) + "\n" +
             QFile::encodeName(missing) + "\n",
         1,
         {{"x 368x276.jpg", ax}, {"d 368x294.jpg", gif}},
         {"missing.jpg: "}},
        {"a NUL-ended list, a name with a newline in it",
         {"--files-from", nulList, "-0"},
         {},
         0,
         {{"new\nline 368x245.jpg", newline}, {"d 368x294.jpg", gif}},
         {}},
        {"an empty list", {"--files-from", emptyList}, {}, 0, {}, {}},
        {"a picture named twice",
         {gif, gif},
         {},
         0,
         {{"d 368x294.jpg", gif}},
         {"d.gif: named twice; converted again"}},
        {"one result name from two folders",
         {ax, bx},
         {},
         0,
         {{"x 368x276.jpg", bx}},
         {"b/x.jpg: same result name as " + ax + "; that result is replaced"}},
        {"names kept", {"--keep-names", ax, gif}, {}, 0, {{"x.jpg", ax}, {"d.jpg", gif}}, {}},
        {"a result of an earlier run, named",
         {shrunk},
         {},
         0,
         {{"d 368x294 368x294.jpg", shrunk}},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFolder out;
        const ProcessResult run = RunProgram(
            kConvert, QStringList{"--jobs", "2", "-o", out.Path()} + c.arguments, c.input);
        EXPECT_EQ(run.exitCode, c.status) << run.err.toStdString();
        QStringList expected;
        for (const auto& [name, picture] : c.results) {
            expected << name;
            EXPECT_EQ(ReadAll(out.File(name)), alone[picture]) << name.toStdString();
        }
        expected.sort();
        EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
        const QStringList errors = ErrorLines(run);
        ASSERT_EQ(errors.size(), c.errors.size()) << run.err.toStdString();
        for (qsizetype i = 0; i < errors.size(); ++i) {
            EXPECT_TRUE(errors[i].contains(c.errors[i])) << errors[i].toStdString();
        }
    }

    // A picture is never replaced by its own result.
    const QByteArray before = ReadAll(ax);
    const ProcessResult itself = RunProgram(kConvert, {"--keep-names", "-o", source.File("a"), ax});
    EXPECT_EQ(itself.exitCode, 1);
    EXPECT_TRUE(itself.err.contains("would replace the picture itself"))
        << itself.err.toStdString();
    EXPECT_EQ(ReadAll(ax), before);
}

TEST(PictureList, AHundredThousandNamesTakeTheMemoryOfAFew) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory counts as data";
#endif
    TestFolder folder;
    QByteArray list;
    for (int i = 0; i < 100000; ++i) {
        list += QFile::encodeName(folder.File(QStringLiteral("gone/picture %1.jpg").arg(i))) + '\n';
    }
    WriteAll(folder.File("long.list"), list);
    QDir(folder.Path()).mkpath("out");
    // The program with its libraries needs about 8 MB of data; 100,000 results kept would
    // need as much again and more.
    const ProcessResult run = RunLimited(
        kConvert,
        {"--jobs", "2", "--files-from", folder.File("long.list"), "-o", folder.File("out")},
        RLIMIT_DATA, 16LL << 20);
    EXPECT_EQ(run.exitCode, 1);
    const QStringList errors = ErrorLines(run);
    ASSERT_EQ(errors.size(), 100000);
    EXPECT_TRUE(errors.back().contains("picture 99999.jpg: ")) << errors.back().toStdString();
    EXPECT_FALSE(run.err.contains("not enough memory"));
}

TEST(PictureList, RefusesListOptionsUsedWrongly) {
    for (const QStringList& wrong :
         {QStringList{"--files-from", "-"}, QStringList{"-0", "-o", "out", "p.jpg"},
          QStringList{"-o", "out"}, QStringList{"--part", "4/3", "-o", "out", "p.jpg"},
          QStringList{"--part", "0/3", "-o", "out", "p.jpg"},
          QStringList{"--tree", "base", "p.jpg", "out.jpg"},
          QStringList{"--folder", "-o", "out", "a", "b"},
          QStringList{"--keep-names", "p.jpg", "o.jpg"}}) {
        const ProcessResult run = RunProgram(kConvert, wrong);
        EXPECT_EQ(run.exitCode, 2) << wrong.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("Usage: plenmar-convert")) << wrong.join(' ').toStdString();
    }
}
