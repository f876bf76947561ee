#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <iterator>

#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "support/MailStandInTest.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"

// What reaches the mail program through xdg-email's command line: the names of the files
// attached.

namespace {

class MailCommandLine : public MailStandInTest {};

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
