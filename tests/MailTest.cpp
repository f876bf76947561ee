#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>
#include <ctime>
#include <string>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

#include "batch/FolderPane.h"
#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "platform/processes/SpawnAndWait.h"
#include "platform/widgets/DialogTemplate.h"
#include "support/MailStandInTest.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "window/MainDlg.h"

namespace {

class Mail : public MailStandInTest {
protected:
    void SetUp() override {
        MailStandInTest::SetUp();
        m_folder = QDir::currentPath();
    }
    void TearDown() override {
        // Stand-ins that play a mail program still open are ended with the test.
        const QByteArray pids =
            QFile::exists(bin.File("pids")) ? ReadAll(bin.File("pids")) : QByteArray();
        for (const QByteArray& pid : pids.split('\n')) {
            if (pid.toInt() > 0) {
                ::kill(pid.toInt(), SIGTERM);
            }
        }
        WaitForHandedOffPrograms(std::chrono::seconds(10));
        QDir::setCurrent(m_folder);
        MailStandInTest::TearDown();
    }

    // The stand-in, first on PATH.
    void InstallMailProgram() { InstallMailStandIn(bin); }
    // No mail program anywhere on PATH.
    void HideMailProgram() {
        QFile::remove(bin.File("xdg-email"));
        qputenv("PATH", QFile::encodeName(bin.Path()));
    }
    void ExitWith(const char* status) { WriteAll(bin.File("status"), status); }
    // The number of attachments of each call so far.
    QStringList Calls() const {
        return QString::fromUtf8(ReadAll(bin.File("calls"))).split('\n', Qt::SkipEmptyParts);
    }
    QByteArray AttachedBytes(int number) const {
        return ReadAll(bin.File(QStringLiteral("attached%1").arg(number)));
    }

    QString m_folder;
};

const QString kNoMailProgram = QStringLiteral(
    "Es konnte kein Mailprogramm erreicht werden, es wurde nichts versendet.\n"
    "Installieren Sie das Paket „xdg-utils“ und richten Sie ein Standard-Mailprogramm ein "
    "(zum Beispiel Thunderbird oder Evolution).");

}  // namespace

TEST_F(Mail, HandsSubjectTextAndAttachmentsOverExactlyAndInOrder) {
    QDir(pictures.Path()).mkpath("Urlaub/neu");
    const QStringList files = {"eins.jpg", "Urlaub/zwei.jpg", "Urlaub/neu/drei ä.jpg"};
    for (int i = 0; i < files.size(); ++i) {
        WriteAll(pictures.File(files[i]), QByteArray("Bild ") + QByteArray::number(i));
    }
    CSimpleMapi mail;
    QDir::setCurrent(pictures.File("Urlaub"));
    mail.AddAttachment(pictures.File("eins.jpg"), 0xFFFFFFFF);
    mail.AddAttachment("zwei.jpg", 0xFFFFFFFF);  // against the folder of now
    mail.AddAttachment("./neu/../neu/drei ä.jpg", 0xFFFFFFFF);
    mail.AddAttachment(pictures.File("Urlaub/neu/../zwei.jpg"), 0xFFFFFFFF);  // attached already
    QDir::setCurrent(temp.Path());
    const QString subject = "Grüße aus Köln\nzweite Zeile";
    const QString text = "Liebe Grüße,\r\nÄrger gibt's nicht.\n\n– Jörg";
    EXPECT_EQ(mail.SendMail(subject, text), SUCCESS_SUCCESS);
    EXPECT_TRUE(prompts.Messages().empty());
    EXPECT_EQ(QDir::current(), QDir(temp.Path()));

    const QStringList attached = Attached();
    EXPECT_EQ(MailArguments().mid(0, 5),
              (QStringList{"--utf8", "--subject", subject, "--body", text}));
    ASSERT_EQ(attached.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(attached[i].startsWith(MailStagingFolder() + "/")) << attached[i].toStdString();
        EXPECT_EQ(QFileInfo(attached[i]).fileName(), QFileInfo(files[i]).fileName());
        EXPECT_EQ(AttachedBytes(i + 1), ReadAll(pictures.File(files[i]))) << i;
        EXPECT_TRUE(QFile::exists(attached[i])) << "the mail program reads the copy later";
    }

    // The lists are empty after a send; empty texts are left out (xdg-email refuses them).
    EXPECT_EQ(mail.SendMail({}, {}, QString("anna@example.org")), SUCCESS_SUCCESS);
    EXPECT_EQ(MailArguments(), (QStringList{"--utf8", "anna@example.org"}));
    EXPECT_EQ(Calls(), (QStringList{"3", "0"}));
}

TEST_F(Mail, ExitStatusesBecomeResultsAndTheUserReadsTheirTexts) {
    const QString failure = "One or more unspecified errors occurred. No message was sent.\r\n";
    const struct {
        const char* status;
        ULONG result;
        QString text;
    } cases[] = {
        {"0", SUCCESS_SUCCESS, {}},
        {"1", MAPI_E_FAILURE, failure},
        {"2", MAPI_E_ATTACHMENT_NOT_FOUND,
         "The specified attachment was not found. No message was sent.\r\n"},
        {"3", MAPI_E_FAILURE, failure},
        {"4", MAPI_E_FAILURE, failure},
        {"5", MAPI_E_ATTACHMENT_OPEN_FAILURE,
         "The specified attachment could not be opened. No message was sent.\r\n"},
        {"crash", MAPI_E_FAILURE, failure},
    };
    WriteAll(pictures.File("bild.jpg"), "Bild");
    CSimpleMapi mail;
    for (const auto& c : cases) {
        RecordingPrompts seen;
        ExitWith(c.status);
        mail.AddAttachment(pictures.File("bild.jpg"), 0xFFFFFFFF);
        EXPECT_EQ(mail.SendMail("Betreff", "Text"), c.result) << c.status;
        EXPECT_EQ(seen.Texts(), c.text.isEmpty() ? QStringList{} : QStringList{c.text}) << c.status;
        EXPECT_EQ(Calls().size(), &c - cases + 1) << c.status;
        EXPECT_EQ(Calls().back(), "1") << "the attachment of this send alone";
    }
    EXPECT_EQ(CSimpleMapi::ErrorText(1), "Vorgang duch Benutzer abgebrochen");
    EXPECT_EQ(CSimpleMapi::ErrorText(4), "Unknown error code.\r\n");
    EXPECT_EQ(CSimpleMapi::ErrorText(26), "Unknown error code.\r\n");
}

TEST_F(Mail, AttachmentsThatAreNotThereSendNothing) {
    CSimpleMapi mail;
    mail.AddAttachment("", 0xFFFFFFFF);
    EXPECT_EQ(prompts.Texts(), QStringList{"Anhang '' kann nicht gefunden werden"});
    EXPECT_EQ(mail.SendMail("Betreff", "Text"), SUCCESS_SUCCESS) << "nothing was added";
    EXPECT_EQ(Calls(), QStringList{"0"});

    mail.AddAttachment(pictures.File("fehlt.jpg"), 0xFFFFFFFF);
    EXPECT_EQ(mail.SendMail("Betreff", "Text"), MAPI_E_ATTACHMENT_NOT_FOUND);
    EXPECT_EQ(Calls(), QStringList{"0"}) << "xdg-email is not started";
    EXPECT_EQ(prompts.Texts().back(),
              "The specified attachment was not found. No message was sent.\r\n");

    // A file that fails to read part way: no copy, half or whole, is left to send.
    const QStringList staged = QDir(MailStagingFolder()).entryList(QDir::AllEntries);
    mail.AddAttachment("/proc/self/mem", 0xFFFFFFFF);
    EXPECT_EQ(mail.SendMail("Betreff", "Text"), MAPI_E_ATTACHMENT_OPEN_FAILURE);
    EXPECT_EQ(Calls(), QStringList{"0"});
    EXPECT_EQ(QDir(MailStagingFolder()).entryList(QDir::AllEntries), staged);
}

TEST_F(Mail, EverySendStagesItsOwnCopiesAndOldCopiesGo) {
    const QString old = MailStagingFolder() + "/alt";
    QDir().mkpath(old);
    WriteAll(old + "/x.jpg", "alt");
    const timespec twoDaysAgo{std::time(nullptr) - 2 * 24 * 3600, 0};
    const timespec times[2] = {twoDaysAgo, twoDaysAgo};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(old).constData(), times, 0), 0);
    QDir(pictures.Path()).mkpath("a");
    QDir(pictures.Path()).mkpath("b");
    WriteAll(pictures.File("a/x.jpg"), "erstes");
    WriteAll(pictures.File("b/x.jpg"), "zweites");

    CSimpleMapi mail;
    mail.AddAttachment(pictures.File("a/x.jpg"), 0xFFFFFFFF);
    mail.AddAttachment(pictures.File("b/x.jpg"), 0xFFFFFFFF);
    ASSERT_EQ(mail.SendMail("s", "t"), SUCCESS_SUCCESS);
    const QStringList first = Attached();
    ASSERT_EQ(first.size(), 2);
    EXPECT_NE(first[0], first[1]) << "one name twice in one mail";
    EXPECT_EQ(QFileInfo(first[1]).fileName(), "x.jpg");
    EXPECT_EQ(ReadAll(first[1]), "zweites");
    EXPECT_FALSE(QFile::exists(old)) << "staged two days ago";

    WriteAll(pictures.File("a/x.jpg"), "neu");
    mail.AddAttachment(pictures.File("a/x.jpg"), 0xFFFFFFFF);
    ASSERT_EQ(mail.SendMail("s", "t"), SUCCESS_SUCCESS);
    EXPECT_EQ(ReadAll(first[0]), "erstes") << "a later send leaves earlier copies alone";
    EXPECT_EQ(ReadAll(Attached().value(0)), "neu");

    // At start, without a send: only what is older than a day goes.
    QDir().mkpath(old);
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(old).constData(), times, 0), 0);
    RemoveOldMailCopies();
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_TRUE(QFile::exists(first[0]));
    EXPECT_EQ(QFileInfo(MailStagingFolder()).permissions() & 0x0777,
              QFile::ReadUser | QFile::WriteUser | QFile::ExeUser)
        << "no other user reads what is mailed";
}

TEST_F(Mail, WithoutAMailProgramTheUserIsToldAndTheAttachmentsWait) {
    WriteAll(pictures.File("bild.jpg"), "Bild");
    HideMailProgram();
    CSimpleMapi mail;
    EXPECT_EQ(mail.IsMapiInstalled(), 1);
    mail.AddAttachment(pictures.File("bild.jpg"), 0xFFFFFFFF);
    EXPECT_EQ(mail.SendMail("s", "t"), MAPI_E_FAILURE);
    EXPECT_EQ(prompts.Texts(), QStringList{kNoMailProgram});
    EXPECT_EQ(prompts.Messages()[0].caption, "Plenmar");

    // Installed later: the next send loads it and takes what waited.
    InstallMailProgram();
    EXPECT_EQ(mail.IsMapiInstalled(), 0);
    EXPECT_EQ(mail.SendMail("s", "t"), SUCCESS_SUCCESS);
    EXPECT_EQ(Calls(), QStringList{"1"});
}

namespace {

// A provider that records what the client hands it and moves the process to another folder,
// as a mail program's windows may.
struct Handed {
    FLAGS logonFlags = 0;
    FLAGS sendFlags = 0;
    LHANDLE sendSession = 0;
    LHANDLE logoffSession = 0;
    ULONG recipients = 0;
    ULONG recipientClass = 0;
    std::string name, address, subject, text;
    ULONG files = 0;
    bool noFileArray = false;
    std::vector<std::pair<std::string, std::string>> paths;
    std::vector<ULONG> positions;
} g_handed;

ULONG RecordLogon(ULONG_PTR, LPSTR, LPSTR, FLAGS flags, ULONG, LPLHANDLE session) {
    g_handed.logonFlags = flags;
    *session = 42;
    return SUCCESS_SUCCESS;
}

ULONG RecordSend(LHANDLE session, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG) {
    g_handed.sendFlags = flags;
    g_handed.sendSession = session;
    g_handed.subject = message->lpszSubject;
    g_handed.text = message->lpszNoteText;
    g_handed.recipients = message->nRecipCount;
    if (message->nRecipCount == 1) {
        g_handed.recipientClass = message->lpRecips->ulRecipClass;
        g_handed.name = message->lpRecips->lpszName;
        g_handed.address = message->lpRecips->lpszAddress;
    }
    g_handed.files = message->nFileCount;
    g_handed.noFileArray = message->lpFiles == nullptr;
    g_handed.paths.clear();
    g_handed.positions.clear();
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        g_handed.paths.emplace_back(message->lpFiles[i].lpszFileName,
                                    message->lpFiles[i].lpszPathName);
        g_handed.positions.push_back(message->lpFiles[i].nPosition);
    }
    QDir::setCurrent(QDir::rootPath());
    return SUCCESS_SUCCESS;
}

ULONG RecordLogoff(LHANDLE session, ULONG_PTR, FLAGS, ULONG) {
    g_handed.logoffSession = session;
    return SUCCESS_SUCCESS;
}

}  // namespace

TEST_F(Mail, TheClientFillsTheMessageAsPublishedAndKeepsItsFolder) {
    RegisterMailLibrary("RECORDING.DLL",
                        {{"MAPILogon", reinterpret_cast<MailProc>(RecordLogon)},
                         {"MAPISendMail", reinterpret_cast<MailProc>(RecordSend)},
                         {"MAPILogoff", reinterpret_cast<MailProc>(RecordLogoff)}});
    CSimpleMapi mail("RECORDING.DLL");
    QDir::setCurrent(pictures.Path());
    const QString folder = QDir::currentPath();
    // Enough attachments that the lists grow and move what they hold more than once.
    for (int i = 0; i < 20; ++i) {
        mail.AddAttachment(QStringLiteral("bild%1.jpg").arg(i), 0xFFFFFFFF);
    }
    g_handed = {};
    EXPECT_EQ(mail.SendMail("Betreff", "Text", QString("R")), SUCCESS_SUCCESS);
    EXPECT_EQ(QDir::currentPath(), folder) << "back where it was before the send";
    EXPECT_EQ(g_handed.logonFlags, MAPI_LOGON_UI);
    EXPECT_EQ(g_handed.sendFlags, MAPI_DIALOG);
    EXPECT_EQ(g_handed.sendSession, 42u);
    EXPECT_EQ(g_handed.logoffSession, 42u);
    EXPECT_EQ(g_handed.subject, "Betreff");
    EXPECT_EQ(g_handed.text, "Text");
    EXPECT_EQ(g_handed.recipients, 1u);
    EXPECT_EQ(g_handed.recipientClass, MAPI_TO);
    EXPECT_EQ(g_handed.name, "R");
    EXPECT_EQ(g_handed.address, "SMTP:R");
    ASSERT_EQ(g_handed.files, 20u);
    for (int i = 0; i < 20; ++i) {
        const std::string name = "bild" + std::to_string(i) + ".jpg";
        EXPECT_EQ(g_handed.paths[i].first, name);
        EXPECT_EQ(g_handed.paths[i].second, (folder + "/").toStdString() + name);
        EXPECT_EQ(g_handed.positions[i], 0xFFFFFFFFu);
    }

    g_handed = {};
    EXPECT_EQ(mail.SendMail("", ""), SUCCESS_SUCCESS);
    EXPECT_EQ(g_handed.files, 0u) << "the lists are empty after a send";
    EXPECT_TRUE(g_handed.noFileArray);
    EXPECT_EQ(g_handed.recipients, 0u);
}

TEST_F(Mail, MessagesFromTwoThreadsNeverMix) {
    WriteAll(pictures.File("a.jpg"), "a");
    WriteAll(pictures.File("b.jpg"), "b");
    CSimpleMapi mail;
    const auto sendThree = [&](const QString& file) {
        for (int i = 0; i < 3; ++i) {
            const auto message = mail.Lock();
            mail.ClearAttachments();
            mail.AddAttachment(file, 0xFFFFFFFF);
            mail.SendMail("s", "t");
        }
    };
    std::thread other(sendThree, pictures.File("b.jpg"));
    sendThree(pictures.File("a.jpg"));
    other.join();
    EXPECT_EQ(Calls(), QStringList(6, "1"));
    EXPECT_TRUE(prompts.Messages().empty());
}

namespace {

class MailWindow : public Mail {
protected:
    void Open(CMainDlg& window, const QString& picture) {
        prompts.ChooseNext(picture);
        window.OnOpen();
    }
    static void Send(CMainDlg& window) {
        window.OnSendByMail();
        window.WaitForConversions();
        window.Worker().Wait();
    }
    QStringList TempFiles() const {
        return QDir(temp.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

}  // namespace

TEST_F(MailWindow, SendsTheOpenPictureConvertedUnderItsOwnName) {
    WriteAll(pictures.File("Urlaub.bmp"), Encode(QuarterPattern(800, 600), "bmp"));
    const QByteArray inTemp = Encode(QuarterPattern(800, 600), "jpeg");
    const struct {
        QString picture;
        const char* attachedName;
        bool ownFileInTemp;  // the user's own "<TEMP>/Urlaub.jpg" lies beside the send
    } cases[] = {
        {{}, "Beispielbild.jpg", false},  // none opened yet: the sample picture
        {pictures.File("Urlaub.bmp"), "Urlaub.jpg", false},
        {pictures.File("Urlaub.bmp"), "Urlaub.jpg", true},
        {temp.File("Urlaub.jpg"), "Urlaub.jpg", true},  // the picture sent is that file
    };
    for (const auto& c : cases) {
        const bool pictureInTemp = c.ownFileInTemp;
        if (pictureInTemp) {
            WriteAll(temp.File("Urlaub.jpg"), inTemp);
        }
        auto window = Start();
        if (!c.picture.isEmpty()) {
            Open(*window, c.picture);
        }
        Send(*window);
        const QStringList attached = Attached();
        ASSERT_EQ(attached.size(), 1) << c.attachedName;
        EXPECT_EQ(QFileInfo(attached[0]).fileName(), c.attachedName);
        EXPECT_EQ(QImage(attached[0]).size(), QSize(368, 276)) << "converted, and still there";
        QStringList left{"Temppic.jpg"};
        if (pictureInTemp) {
            EXPECT_EQ(ReadAll(temp.File("Urlaub.jpg")), inTemp) << "the user's file stays";
            left << "Urlaub.jpg";
        }
        EXPECT_EQ(
            QDir(runtime.File("plenmar/send")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList{})
            << "the converted copy and its folder are gone";
        EXPECT_EQ(TempFiles(), left)
            << "the temporary file is gone: " << TempFiles().join(' ').toStdString();
        EXPECT_EQ(MailArguments().mid(0, 5),
                  (QStringList{"--utf8", "--subject", "Beiliegend Ihre Bilder", "--body",
                               "In der Beilage erhalten Sie die gewünschten Bilder"}));
        EXPECT_TRUE(prompts.Messages().empty());
        window->close();
        QFile::remove(temp.File("Urlaub.jpg"));
    }
}

TEST_F(MailWindow, AMailProgramThatStaysOpenHoldsNothingUp) {
    using Clock = std::chrono::steady_clock;
    WriteAll(pictures.File("Urlaub.bmp"), Encode(QuarterPattern(800, 600), "bmp"));
    TestFolder destination;
    auto window = Start();
    Open(*window, pictures.File("Urlaub.bmp"));
    window->WaitForConversions();
    const QString busy = QStringLiteral(
        "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
        "beendet ist.");
    enum class Step { Send, FolderRun };
    const struct {
        const char* status;  // how the stand-in behaves
        Step step;
        const char* toldLater;  // what the user hears once it has ended
    } cases[] = {
        {"0", Step::Send, nullptr},      {"late-failure", Step::Send, "nachträglich abgelehnt"},
        {"linger", Step::Send, nullptr},  // open for a minute, as a mail program it started
        {"linger", Step::Send, nullptr}, {"linger", Step::FolderRun, nullptr},
    };
    int calls = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        ExitWith(c.status);
        const std::size_t told = prompts.Messages().size();
        const auto started = Clock::now();
        if (c.step == Step::Send) {
            window->OnSendByMail();
            window->WaitForConversions();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window->Worker().Running(); }, 10000));
        } else {
            prompts.AnswerDialogNext([&](QDialog& dialog) {
                qobject_cast<CFolderPane*>(ControlById(dialog, 1060))->SetFolder(pictures.Path());
                qobject_cast<CFolderPane*>(ControlById(dialog, 1061))
                    ->SetFolder(destination.Path());
                qobject_cast<QCheckBox*>(ControlById(dialog, 1020))->setChecked(true);
                return int(QDialog::Accepted);
            });
            window->OnConvertFolder();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window->FolderRunning(); }, 10000));
        }
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(5)) << "about two seconds";
        EXPECT_FALSE(prompts.Texts().contains(busy)) << prompts.Texts().join('|').toStdString();
        EXPECT_EQ(Calls().size(), ++calls);
        EXPECT_EQ(prompts.Messages().size(), told) << "handed over: nothing to tell yet";
        if (c.toldLater != nullptr) {
            ASSERT_TRUE(WaitForHandedOffPrograms(std::chrono::seconds(10)));
            ASSERT_EQ(prompts.Messages().size(), told + 1);
            EXPECT_TRUE(prompts.Messages().back().text.contains(QString::fromUtf8(c.toldLater)))
                << prompts.Messages().back().text.toStdString();
        }
    }
    EXPECT_EQ(Attached().size(), 1) << "the folder run's one picture went out";
    const auto closing = Clock::now();
    window->close();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(1)) << "closing waits for nothing";
}

TEST_F(MailWindow, MailSetupChangesSubjectAndTextOnlyOnOk) {
    auto window = Start();
    const BatchMailSettings before = window->BatchMail();
    QString shownSubject;
    prompts.AnswerDialogNext([&](QDialog& dialog) {
        shownSubject = qobject_cast<QLineEdit*>(ControlById(dialog, 1039))->text();
        qobject_cast<QLineEdit*>(ControlById(dialog, 1039))->setText("verworfen");
        return int(QDialog::Rejected);
    });
    window->OnMailSetup();
    EXPECT_EQ(shownSubject, "Beiliegend Ihre Bilder");
    EXPECT_EQ(window->BatchMail().mailSubject, before.mailSubject);
    EXPECT_EQ(window->BatchMail().mailText, before.mailText);

    bool stillOpen = false;
    prompts.AnswerDialogNext([&](QDialog& dialog) {
        dialog.show();
        auto* text = qobject_cast<QPlainTextEdit*>(ControlById(dialog, 1040));
        text->clear();
        QTest::keyClicks(text, "Hallo");
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, "Welt");
        stillOpen = dialog.isVisible();
        qobject_cast<QLineEdit*>(ControlById(dialog, 1039))->setText("Neu");
        return int(QDialog::Accepted);
    });
    window->OnMailSetup();
    EXPECT_TRUE(stillOpen) << "Enter starts a new line";
    EXPECT_EQ(window->BatchMail().mailText, "Hallo\nWelt");
    EXPECT_EQ(window->BatchMail().mailSubject, "Neu");
    EXPECT_EQ(prompts.DialogCaptions(), (QStringList{"Mail Setup", "Mail Setup"}));

    Send(*window);
    EXPECT_EQ(MailArguments().mid(0, 5),
              (QStringList{"--utf8", "--subject", "Neu", "--body", "Hallo\nWelt"}));
    window->close();
    EXPECT_EQ(QSettings(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat)
                  .value("Setting/Mailtext")
                  .toString(),
              "Hallo\nWelt");
}

TEST_F(MailWindow, WithoutAMailProgramTheSendSaysSoAndLeavesNoFile) {
    HideMailProgram();
    auto window = Start();
    Send(*window);
    EXPECT_EQ(prompts.Texts(), QStringList{kNoMailProgram});
    EXPECT_EQ(TempFiles(), QStringList{"Temppic.jpg"});
}

TEST_F(MailWindow, ClosingDoesNotWaitForTheMailProgram) {
    ExitWith("wait");
    auto window = Start();
    window->OnSendByMail();
    window->OnSendByMail();
    window->WaitForConversions();
    EXPECT_TRUE(window->Worker().Running());
    window->OnSendByMail();
    EXPECT_EQ(prompts.Texts(),
              QStringList(2,
                          "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das "
                          "Versenden per Mail beendet ist."));
    // The stand-in stays 30 s: a close that waited for it would take that long.
    using Clock = std::chrono::steady_clock;
    const auto closing = Clock::now();
    window->close();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(5)) << "closing waits for no mail";
    EXPECT_FALSE(window->Worker().Running());
    EXPECT_FALSE(QFile::exists(bin.File("waited-to-the-end")));
    EXPECT_EQ(TempFiles(), QStringList{}) << "the preview goes with the window, and the copy";
    EXPECT_EQ(prompts.Messages().size(), 2u) << "handed over: nothing to complain about";
}
