#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

#include "app/program/ChosenCommand.h"
#include "mail/SimpleMapi.h"
#include "support/CraftedFiles.h"
#include "support/Drops.h"
#include "support/MailStandInTest.h"
#include "support/TestFiles.h"
#include "window/MainDlg.h"

// Files that are no pictures to read are told with what is wrong with them, in the window's
// messages as plenmar-convert tells them on the terminal.

namespace {

class Reasons : public MailStandInTest {
protected:
    // What the user was told, all messages in one.
    QString Told() const { return prompts.Texts().join('\n'); }
};

// While it lasts, this thread and those it starts read and write files as "nobody": so that a
// file of mode 0 is unreadable also to tests run by root.
class FilesAsNobody {
public:
    FilesAsNobody() : m_before(::geteuid() == 0 ? ::setfsuid(65534) : -1) {}
    ~FilesAsNobody() {
        if (m_before >= 0) {
            ::setfsuid(static_cast<uid_t>(m_before));
        }
    }
    FilesAsNobody(const FilesAsNobody&) = delete;
    FilesAsNobody& operator=(const FilesAsNobody&) = delete;

private:
    int m_before;
};

}  // namespace

TEST_F(Reasons, ShrinkMailAndDropsNameWhatIsWrongWithEachFile) {
    // The folder is entered by everyone: its files are read as "nobody" below.
    ::chmod(QFile::encodeName(pictures.Path()).constData(), 0755);
    const QString locked = pictures.File("geheim.jpg");
    WriteAll(locked, Encode(QuarterPattern(80, 60), "jpeg"));
    ::chmod(QFile::encodeName(locked).constData(), 0);
    const QByteArray notUtf8 = QFile::encodeName(pictures.Path()) + "/Bild\xff.jpg";
    const int made = ::open(notUtf8.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(made, 0);
    ::close(made);
    // Qt could not remove it with the folder.
    const std::shared_ptr<void> removed(nullptr, [&](void*) { ::unlink(notUtf8.constData()); });
    WriteAll(pictures.File("leer.jpg"), "");
    const struct {
        QString name;
        QString link;  // what the file is a symbolic link to, if it is one
        QString reason;
        bool denied = false;  // unreadable only to whom the modes hold for
    } cases[] = {
        {"fehlt.jpg", {}, "Die Datei existiert nicht."},
        {QFile::decodeName("Bild\xff.jpg"),
         {},
         "Der Dateiname ist kein gültiges UTF-8; benennen Sie die Datei um, damit sie "
         "umgewandelt wird."},
        {"gesperrt.jpg", "geheim.jpg", "Sie dürfen die Datei nicht lesen.", true},
        {"kreis.jpg", "kreis.jpg", "Die Datei ist eine Verknüpfung, die im Kreis führt."},
        {"leer.jpg", {}, "Die Datei ist leer."},
    };
    QStringList files;
    for (const auto& c : cases) {
        if (!c.link.isEmpty()) {
            ASSERT_TRUE(QFile::link(c.link, pictures.File(c.name)));
        }
        files << pictures.File(c.name);
    }
    const auto shrink = [&] {
        CSimpleMapi mail;
        EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, files, mail), 1);
    };
    const auto mail = [&] {
        CSimpleMapi mail;
        EXPECT_EQ(RunChosenAction(ChosenAction::Mail, files, mail), 1);
    };
    CMainDlg window;
    window.show();
    window.WaitForConversions();
    const auto drop = [&] {
        Drop(window, files);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return window.Executor().Busy() == ConversionExecutor::Work::None; }, 30000));
    };
    // A mail's pictures go into a folder of root's own, which "nobody" cannot enter.
    const bool root = ::geteuid() == 0;
    const struct {
        const char* way;
        std::function<void()> run;
        bool asNobody;
    } ways[] = {
        {"--shrink", shrink, true}, {"--mail", mail, false}, {"dropped on the window", drop, true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        const qsizetype before = prompts.Messages().size();
        {
            const std::optional<FilesAsNobody> nobody =
                way.asNobody ? std::make_optional<FilesAsNobody>() : std::nullopt;
            way.run();
        }
        ASSERT_EQ(prompts.Messages().size(), before + 1);
        const QString told = prompts.Messages().back().text;
        for (const auto& c : cases) {
            if (c.denied && root && !way.asNobody) {
                continue;
            }
            EXPECT_TRUE(told.contains(c.name + ": " + c.reason)) << c.name.toStdString() << " in\n"
                                                                 << told.toStdString();
        }
        EXPECT_FALSE(told.contains("kein lesbares Bild")) << told.toStdString();
    }
    window.close();
}

// libheif is found when the program starts, or never: the test runs again in a program of its
// own that finds a library of that name without libheif's functions first.
TEST_F(Reasons, AHeicWhileTheHeifLibraryCannotBeLoadedSaysSo) {
    if (!qEnvironmentVariableIsSet("PLENMAR_TEST_WITHOUT_LIBHEIF")) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_LIBRARY_PATH", HEIF_STAND_IN_FOLDER);
        environment.insert("PLENMAR_TEST_WITHOUT_LIBHEIF", "1");
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=Reasons.AHeicWhileTheHeifLibraryCannotBeLoadedSaysSo"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput() + child.readAllStandardError();
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
        return;
    }
    const QString heic = pictures.File("Handy.heic");
    WriteAll(heic, HeicSignature() + QByteArray(200, '\0'));
    CSimpleMapi mail;
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, {heic}, mail), 1);
    EXPECT_TRUE(
        Told().contains("Handy.heic: Die HEIF-Bibliothek fehlt (Paket libheif1); ohne "
                        "sie lassen sich HEIC- und HEIF-Bilder nicht lesen."))
        << Told().toStdString();

    const ProcessResult converted = RunProgram(PLENMAR_CONVERT, {heic, pictures.File("o.jpg")});
    EXPECT_EQ(converted.exitCode, 1);
    EXPECT_TRUE(
        converted.err.contains("Handy.heic: the HEIF library is missing (package libheif1)"))
        << converted.err.toStdString();
}
