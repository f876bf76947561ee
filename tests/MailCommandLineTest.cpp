#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <iterator>

#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "mail/XdgEmail.h"
#include "support/MailStandInTest.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"

// What reaches the mail program through xdg-email's command line: the names of the files
// attached, and texts too long for it.

namespace {

class MailCommandLine : public MailStandInTest {
protected:
    int Calls() const { return static_cast<int>(ReadAll(bin.File("calls")).count('\n')); }
};

const QString kTextTooLong = QStringLiteral(
    "Betreff und Text der Mail sind zu lang für das Mailprogramm; es wurde nichts versendet.\n"
    "xdg-email übergibt sie ihm in einer Befehlszeile von höchstens 128 KiB, in der ein Satz- "
    "oder Leerzeichen drei Bytes braucht und ein Umlaut sechs. Kürzen Sie den Text unter "
    "„Optionen“, „Maileinstellung“.");

}  // namespace

TEST_F(MailCommandLine, EachAttachmentReachesThunderbirdAsItselfWhateverItsName) {
    // A name that echo -e would turn into ",<secret>,": xdg-email would attach the secret.
    const QString secret = pictures.File("secret.txt");
    WriteAll(secret, "geheim");
    const QString smuggling = "a\\x2c" + QString(secret).replace("/", "\\x2f") + "\\x2cb.jpg";
    const struct {
        const char* what;
        QStringList names;   // the pictures of one mail
        QStringList staged;  // their copies' names: readable, and still the pictures'
    } cases[] = {
        {"a comma", {"Geburtstag, Oma.jpg"}, {"Geburtstag_ Oma.jpg"}},
        {"a quote", {"O'Brien.jpg"}, {"O_Brien.jpg"}},
        {"double quotes", {"Zitat \"Oma\".jpg"}, {"Zitat _Oma_.jpg"}},
        {"escapes of echo -e", {smuggling}, {QString(smuggling).replace('\\', '_')}},
        {"a line break", {"Zeile\nzwei.jpg"}, {"Zeile_zwei.jpg"}},
        {"backslashes and dash's \\c", {"back\\\\slash\\c.jpg"}, {"back__slash_c.jpg"}},
        {"a percent sign", {"100% Sonne.jpg"}, {"100_ Sonne.jpg"}},
        {"control characters", {"Tab\there\x7f.jpg"}, {"Tab_here_.jpg"}},
        {"a right-to-left override", {"Pfeil \u202Egpj.exe"}, {"Pfeil _gpj.exe"}},
        {"two names that become one", {"a,b.jpg", "a_b.jpg"}, {"a_b.jpg", "a_b.jpg"}},
        {"umlauts and blanks", {"Grüße aus Köln.jpg"}, {"Grüße aus Köln.jpg"}},
    };
    CSimpleMapi mail;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList sources;
        for (const QString& name : c.names) {
            sources << pictures.File(name);
            WriteAll(sources.back(), name.toUtf8());
            mail.AddAttachment(sources.back(), 0xFFFFFFFF);
        }
        ASSERT_EQ(mail.SendMail("Fotos", "Hier sind sie"), SUCCESS_SUCCESS);
        const QStringList attached = Attached();
        ASSERT_EQ(attached.size(), sources.size());
        const QStringList thunderbird = MailStandInThunderbirdAttachments(bin);
        EXPECT_EQ(thunderbird, attached) << "each copy once, nothing else, no part of one";
        EXPECT_FALSE(thunderbird.contains(secret));
        EXPECT_EQ(QSet<QString>(attached.begin(), attached.end()).size(), attached.size());
        for (qsizetype i = 0; i < attached.size(); ++i) {
            EXPECT_EQ(QFileInfo(attached[i]).fileName(), c.staged[i]);
            EXPECT_EQ(ReadAll(attached[i]), ReadAll(sources[i]));
            EXPECT_TRUE(attached[i].startsWith(MailStagingFolder() + "/"));
        }
    }
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(MailCommandLine, WhatIsTooLongForTheMailProgramsCommandLineIsToldInGerman) {
    // "mailto:?subject=" and the subject, every byte of it written as xdg-email writes it.
    const qsizetype room = kLongestMailAddress - qsizetype(sizeof("mailto:?subject=") - 1);
    const struct {
        const char* what;
        QString subject;
        QString text;
        bool fits;
    } cases[] = {
        {"the longest subject that fits", QString(room, 'a'), {}, true},
        {"one letter more", QString(room + 1, 'a'), {}, false},
        {"blanks take three bytes", QString(room / 3 + 1, ' ') + 'a', {}, false},
        {"umlauts take six", "a" + QString(room / 6 + 1, u'ä'), {}, false},
        {"subject and text together", QString(room / 2, 'a'), QString(room / 2, 'b'), false},
        {"a long text of lines", "Fotos", QString("Zeile\n").repeated(room / 10), false},
    };
    CSimpleMapi mail;
    int calls = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingPrompts seen;
        const ULONG result = mail.SendMail(c.subject, c.text);
        if (c.fits) {
            EXPECT_EQ(result, SUCCESS_SUCCESS);
            EXPECT_EQ(Calls(), ++calls);
            EXPECT_EQ(seen.Texts(), QStringList{});
        } else {
            EXPECT_EQ(result, MAPI_E_TEXT_TOO_LARGE);
            EXPECT_EQ(Calls(), calls) << "xdg-email is not started";
            EXPECT_EQ(seen.Texts(), QStringList{kTextTooLong});
        }
    }
}

TEST_F(MailCommandLine, AttachmentsTooManyForTheCommandLineAreToldAndNotStaged) {
    CSimpleMapi mail;
    // Each name takes some 700 bytes of the address: 250 of them are more than it holds.
    for (int i = 0; i < 250; ++i) {
        const QString path =
            pictures.File(QStringLiteral("Bild%1%2.jpg").arg(QString(200, ' ')).arg(i));
        WriteAll(path, "Bild");
        mail.AddAttachment(path, 0xFFFFFFFF);
    }
    EXPECT_EQ(mail.SendMail("Fotos", "Hier sind sie"), MAPI_E_TOO_MANY_FILES);
    EXPECT_FALSE(QFileInfo::exists(bin.File("calls")));
    EXPECT_EQ(prompts.Texts(),
              QStringList{"Die Mail hat zu viele Anhänge für das Mailprogramm; es wurde nichts "
                          "versendet.\nxdg-email übergibt ihm ihre Namen in einer Befehlszeile "
                          "von höchstens 128 KiB. Versenden Sie die Bilder auf mehrere Mails "
                          "verteilt."});
    EXPECT_EQ(QDir(MailStagingFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{})
        << "no copies left for a mail that is not sent";
}

// The real xdg-email, its mail program a recorder (MAILER): what it builds is what the
// program measures, and an address one byte longer than the limit keeps the program from
// starting.
TEST(XdgEmail, BuildsTheAddressTheProgramMeasuresAndFailsJustBeyondTheLimit) {
    const QString xdgEmail = "/usr/bin/xdg-email";
    if (!QFileInfo::exists(xdgEmail)) {
        GTEST_SKIP() << "needs xdg-email (xdg-utils)";
    }
    TestFolder folder;
    WriteAll(folder.File("recorder"),
             "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/got\"\n");
    QFile::setPermissions(folder.File("recorder"), QFile::ReadOwner | QFile::ExeOwner);
    const QString attachment = folder.File("Grüße aus Köln 100%.jpg");
    WriteAll(attachment, "Bild");
    qputenv("MAILER", QFile::encodeName(folder.File("recorder")));
    const auto run = [&](const QStringList& arguments) {
        QFile::remove(folder.File("got"));
        const ProcessResult ended = RunProgram(xdgEmail, arguments);
        return ended.exitCode == 0 ? ReadAll(folder.File("got")) : QByteArray();
    };
    const QList<QStringList> cases = {
        {"--utf8"},
        {"--utf8", "--subject", "Grüße aus Köln\nzweite Zeile", "--body",
         "Liebe Grüße,\r\nÄrger gibt's nicht: 100% \\n \\\\ \\101 \\0101 \\q \\c was folgt"},
        {"--utf8", "--subject", "s", "--attach", attachment, "--cc", "c@example.org",
         "anna@example.org", "bob@example.org"},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(run(arguments), XdgEmailAddress(arguments)) << arguments.join(' ').toStdString();
    }

    const qsizetype room = kLongestMailAddress - qsizetype(sizeof("mailto:?subject=") - 1);
    const QStringList longest = {"--utf8", "--subject", QString(room, 'a')};
    EXPECT_EQ(XdgEmailAddress(longest).size(), kLongestMailAddress);
    EXPECT_EQ(run(longest).size(), kLongestMailAddress) << "the longest address goes through";
    EXPECT_EQ(run({"--utf8", "--subject", QString(room + 1, 'a')}), QByteArray())
        << "one byte more, and the mail program is not started";
    qunsetenv("MAILER");
}
