#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <optional>

#include "app/program/ChosenCommand.h"
#include "mail/SimpleMapi.h"
#include "platform/files/OutputFile.h"
#include "platform/widgets/DialogTemplate.h"
#include "support/MailStandInTest.h"
#include "support/TestFiles.h"
#include "window/MainDlg.h"

// Folders everyone may write to, as /tmp: what another user put there is neither followed,
// written into nor replaced, whichever way the programs write; what is the user's own, or the
// folder owner's, or lies in a folder not shared, is used as before.

namespace {

const QString kConvert = QStringLiteral(PLENMAR_CONVERT);

// The user a name stands for; the one running the test for none.
std::optional<uid_t> Uid(const char* name) {
    if (name == nullptr) {
        return ::geteuid();
    }
    const passwd* entry = ::getpwnam(name);
    return entry != nullptr ? std::optional<uid_t>(entry->pw_uid) : std::nullopt;
}

bool Own(const QString& path, const char* owner) {
    const std::optional<uid_t> uid = Uid(owner);
    return uid && ::lchown(QFile::encodeName(path).constData(), *uid, static_cast<gid_t>(-1)) == 0;
}

bool IsJpeg(const QString& path) {
    return ReadAll(path).startsWith("\xFF\xD8");
}

class SharedFolder : public MailStandInTest {
protected:
    void SetUp() override {
        MailStandInTest::SetUp();
        if (::geteuid() != 0 || !Uid("nobody") || !Uid("daemon")) {
            GTEST_SKIP() << "needs root, to give files to the users nobody and daemon";
        }
    }
    // A folder of `mode` belonging to `owner`, in a folder of the test's own.
    QString MakeFolder(const QString& name, mode_t mode, const char* owner) {
        const QString path = pictures.File(name);
        EXPECT_TRUE(QDir().mkpath(path));
        EXPECT_TRUE(Own(path, owner));
        EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
        return path;
    }
    // A symbolic link of `owner` at `path` to a file of the user's own that holds its name.
    QString PlantLink(const QString& path, const char* owner) {
        const QString victim = work.File(QFileInfo(path).fileName() + ".odt");
        WriteAll(victim, victim.toUtf8());
        EXPECT_TRUE(QFile::link(victim, path));
        EXPECT_TRUE(Own(path, owner));
        return victim;
    }
    QString Picture(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        WriteAll(path, Encode(QuarterPattern(400, 300), "jpeg"));
        return path;
    }

    TestFolder work;  // the user's own files, which links lead to
};

}  // namespace

TEST_F(SharedFolder, LinksAreFollowedOnlyWhereTheKernelWouldFollowThem) {
    const struct {
        const char* what;
        mode_t folderMode;
        const char* folderOwner;  // null: the user
        const char* linkOwner;
        bool followed;
    } cases[] = {
        {"another user's link in a shared folder", 01777, nullptr, "nobody", false},
        {"the user's own link there", 01777, nullptr, nullptr, true},
        {"the link of the shared folder's owner", 01777, "nobody", "nobody", true},
        {"a third user's link in another's shared folder", 01777, "nobody", "daemon", false},
        {"another user's link in a folder writable by all, not sticky", 0777, nullptr, "nobody",
         true},
        {"another user's link in a folder only its owner writes to", 0755, "nobody", "daemon",
         true},
    };
    const QString source = Picture(work.File("Quelle/Befehl.jpg"));
    const QString windowSource = Picture(work.File("Fenster/Fenster.jpg"));
    const QString open = Picture(work.File("Offen.jpg"));
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString shared =
            MakeFolder(QStringLiteral("geteilt%1").arg(++number), c.folderMode, c.folderOwner);
        // Each writer's target, a link to a file of its own.
        const QString shrunk = Picture(shared + "/Klein.jpg");
        const QString shrinkTarget = shared + "/Klein 368x276.jpg";
        const QString single = shared + "/Einzeln.jpg";
        const QString folderTarget = shared + "/Befehl 368x276.jpg";
        const QString saved = shared + "/Gespeichert.jpg";
        const QString runTarget = shared + "/Fenster 368x276.jpg";
        const QString preview = shared + "/Temppic.jpg";
        QMap<QString, QString> victims;
        for (const QString& link :
             {shrinkTarget, single, folderTarget, saved, runTarget, preview}) {
            victims[link] = PlantLink(link, c.linkOwner);
        }
        const auto told = [&](const QString& link) {
            return QStringLiteral(
                       "„%1“ ist eine Verknüpfung, die ein anderer Benutzer in einen "
                       "Ordner gelegt hat, in den alle schreiben dürfen; ihr folgt das "
                       "Programm nicht.")
                .arg(link);
        };
        const auto check = [&](const QString& link, const QString& said, const char* writer) {
            SCOPED_TRACE(writer);
            EXPECT_EQ(IsJpeg(victims[link]), c.followed);
            if (!c.followed) {
                EXPECT_EQ(ReadAll(victims[link]), victims[link].toUtf8());
                EXPECT_TRUE(said.contains(told(link)) ||
                            said.contains(link + " is a symbolic link of another user"))
                    << said.toStdString();
            }
        };

        prompts.ChooseNext(open);
        qputenv("TEMP", QFile::encodeName(shared));
        auto window = std::make_unique<CMainDlg>();
        window->show();
        window->WaitForConversions();
        window->OnOpen();
        window->WaitForConversions();
        check(preview, prompts.Texts().join('\n'), "the preview file");

        prompts.ChooseNext(saved);
        prompts.AnswerNext(Answer::Yes);  // "gibt es schon": the file the link leads to
        window->OnSaveAs();
        window->WaitForConversions();
        check(saved, prompts.Texts().join('\n'), "Speichern unter");

        prompts.AnswerDialogNext([&](QDialog& dialog) {
            qobject_cast<QLineEdit*>(ControlById(dialog, 1021))
                ->setText(QFileInfo(windowSource).path());
            qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->setText(shared);
            return int(QDialog::Accepted);
        });
        window->OnConvertFolder();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->FolderRunning(); }, 60000));
        window->WaitForConversions();
        check(runTarget, prompts.Texts().join('\n'), "the window's folder run");
        window->close();
        window.reset();

        CSimpleMapi mail;
        RunChosenAction(ChosenAction::Shrink, {shrunk}, mail);
        check(shrinkTarget, prompts.Texts().join('\n'), "--shrink");

        const ProcessResult folderRun =
            RunProgram(kConvert, {"--folder", QFileInfo(source).path(), shared});
        check(folderTarget, QString::fromLocal8Bit(folderRun.err), "plenmar-convert --folder");
        const ProcessResult one = RunProgram(kConvert, {source, single});
        check(single, QString::fromLocal8Bit(one.err), "plenmar-convert PICTURE OUTPUT");
        EXPECT_EQ(folderRun.exitCode == 0 && one.exitCode == 0, c.followed);
    }
}

TEST_F(SharedFolder, AnotherUsersPipeFileOrLinkToAPictureIsLeftAlone) {
    const QString shared = MakeFolder("geteilt", 01777, nullptr);
    // A pipe that would pass the picture on to whoever reads it.
    const QString piped = Picture(shared + "/Rohr.jpg");
    const QString pipe = shared + "/Rohr 368x276.jpg";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0666), 0);
    ASSERT_TRUE(Own(pipe, "nobody"));
    const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    // A file anyone may change, which would lend the result its permissions.
    const QString replaced = Picture(shared + "/Datei.jpg");
    const QString file = shared + "/Datei 368x276.jpg";
    WriteAll(file, "fremd");
    ::chmod(QFile::encodeName(file).constData(), 0666);
    ASSERT_TRUE(Own(file, "nobody"));
    // A "picture" that is a link to a picture of the user's, whose copy others would read.
    const QString own = Picture(work.File("privat.jpg"));
    const QString borrowed = shared + "/Fremd.jpg";
    ASSERT_TRUE(QFile::link(own, borrowed));
    ASSERT_TRUE(Own(borrowed, "nobody"));

    CSimpleMapi mail;
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, {piped, replaced, borrowed}, mail), 1);
    char leaked[16];
    EXPECT_LE(::read(reader, leaked, sizeof leaked), 0) << "nothing went into the pipe";
    ::close(reader);
    EXPECT_EQ(ReadAll(file), "fremd");
    EXPECT_FALSE(QFileInfo::exists(shared + "/Fremd 368x276.jpg"));
    const QString told = prompts.Texts().join('\n');
    for (const QString& foreign : {pipe, file}) {
        EXPECT_TRUE(told.contains(QStringLiteral("„%1“ gehört einem anderen Benutzer und liegt in "
                                                 "einem Ordner, in den alle schreiben dürfen; das "
                                                 "Programm überschreibt sie nicht.")
                                      .arg(foreign)))
            << told.toStdString();
    }
    EXPECT_TRUE(
        told.contains("Fremd.jpg: Die Datei ist eine Verknüpfung, die ein anderer "
                      "Benutzer in einen Ordner gelegt hat, in den alle schreiben dürfen; "
                      "ihr folgt das Programm nicht."))
        << told.toStdString();
}

namespace {

// The user's folders as xdg-user-dirs names them, here in a folder of the test's own.
class FolderProposal : public MailStandInTest {
protected:
    void SetUp() override {
        MailStandInTest::SetUp();
        WriteAll(userDirs.File("user-dirs.dirs"),
                 "XDG_PICTURES_DIR=\"" + QFile::encodeName(pictures.File("Bilder")) + "\"\n");
        m_configHome.emplace("XDG_CONFIG_HOME", QFile::encodeName(userDirs.Path()));
    }
    void TearDown() override {
        m_configHome.reset();
        MailStandInTest::TearDown();
    }

    TestFolder userDirs;

private:
    std::optional<ScopedEnvironment> m_configHome;
};

}  // namespace

TEST_F(FolderProposal, ARunWithNoDestinationKeptGoesIntoAFolderOfTheUsersOwnMadeOnOk) {
    const QString proposed = pictures.File("Bilder/Verkleinert");
    QDir().mkpath(pictures.File("Urlaub"));
    WriteAll(pictures.File("Urlaub/Strand.jpg"), Encode(QuarterPattern(400, 300), "jpeg"));
    auto window = std::make_unique<CMainDlg>();
    window->show();
    window->WaitForConversions();
    EXPECT_FALSE(QFileInfo::exists(proposed)) << "not made at the start";

    QString shown;
    const auto answer = [&](int result) {
        prompts.AnswerDialogNext([&, result](QDialog& dialog) {
            shown = qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->text();
            qobject_cast<QLineEdit*>(ControlById(dialog, 1021))->setText(pictures.File("Urlaub"));
            return result;
        });
    };
    answer(QDialog::Rejected);
    window->OnConvertFolder();
    EXPECT_EQ(shown, proposed);
    EXPECT_FALSE(QFileInfo::exists(proposed)) << "nor when the dialog is cancelled";

    answer(QDialog::Accepted);
    window->OnConvertFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->FolderRunning(); }, 60000));
    window->WaitForConversions();
    EXPECT_TRUE(IsJpeg(proposed + "/Strand 368x276.jpg"));
    EXPECT_EQ(prompts.Texts().last(), "Alle Dateine sind umgewandelt");
    window->close();
}
