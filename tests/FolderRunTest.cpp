#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QImageReader>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <mutex>
#include <string>
#include <vector>

#include "batch/BatchProgressDlg.h"
#include "batch/ConvertDirDlg.h"
#include "batch/FolderListing.h"
#include "batch/FolderPane.h"
#include "batch/FolderRun.h"
#include "batch/FolderRunTexts.h"
#include "mail/MailProvider.h"
#include "mail/Mapi.h"
#include "platform/widgets/DialogTemplate.h"
#include "platform/widgets/WidgetPrompts.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "window/MainDlg.h"

namespace {

const QString kAllConverted = QStringLiteral("Alle Dateine sind umgewandelt");
const QString kQuestion = QStringLiteral("Möchten Sie diese Datei umwandeln?");
const QString kBusy = QStringLiteral(
    "Bitte warten Sie, bis das Umwandeln des Verzeichnisses oder das Versenden per Mail "
    "beendet ist.");

// A mail provider that keeps the subject and the attachments of every message it is handed.
struct SentMail {
    std::string subject;
    QStringList attachments;
};
std::mutex g_sentLock;
std::vector<SentMail> g_sent;

ULONG Logon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session) {
    *session = 1;
    return SUCCESS_SUCCESS;
}

ULONG Send(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS, ULONG) {
    SentMail mail{message->lpszSubject, {}};
    for (ULONG i = 0; i < message->nFileCount; ++i) {
        mail.attachments
            << QFileInfo(QString::fromLocal8Bit(message->lpFiles[i].lpszPathName)).fileName();
    }
    std::lock_guard lock(g_sentLock);
    g_sent.push_back(mail);
    return SUCCESS_SUCCESS;
}

ULONG Logoff(LHANDLE, ULONG_PTR, FLAGS, ULONG) {
    return SUCCESS_SUCCESS;
}

constexpr char kMailLibrary[] = "FOLDERRUN.DLL";

// What a test puts into the source folder: a picture of a size and format, bytes that are no
// picture, or a folder.
struct Entry {
    QString name;
    QSize size;
    const char* format = "jpeg";
    QRgb colour = 0;
};

class FolderWindow : public WindowTest {
protected:
    static void SetUpTestSuite() {
        RegisterMailLibrary(kMailLibrary, {{"MAPILogon", reinterpret_cast<MailProc>(Logon)},
                                           {"MAPISendMail", reinterpret_cast<MailProc>(Send)},
                                           {"MAPILogoff", reinterpret_cast<MailProc>(Logoff)}});
    }
    void SetUp() override {
        WindowTest::SetUp();
        std::lock_guard lock(g_sentLock);
        g_sent.clear();
    }
    // Its mail goes to the recording library above.
    static std::unique_ptr<CMainDlg> Start() { return WindowTest::Start(kMailLibrary); }
    void Put(const QString& folder, const Entry& entry) {
        const QString path = folder + '/' + entry.name;
        if (entry.size.isEmpty()) {
            if (entry.format == std::string("folder")) {
                QDir().mkpath(path);
            } else {
                WriteAll(path, "\xFF\xD8 nothing but noise");
            }
            return;
        }
        const QImage picture = entry.colour != 0
                                   ? Plain(entry.size.width(), entry.size.height(), entry.colour)
                                   : QuarterPattern(entry.size.width(), entry.size.height());
        WriteAll(path, entry.format == std::string("gif") ? EncodeGif(picture)
                                                          : Encode(picture, entry.format));
    }
    // Answers "Verzeichnis umwandeln" with these folders and options, through the panes.
    void ChooseInDialog(const QString& source, const QString& destination, bool ask, bool mail) {
        prompts.AnswerDialogNext([=](QDialog& dialog) {
            qobject_cast<CFolderPane*>(ControlById(dialog, 1060))->SetFolder(source);
            qobject_cast<CFolderPane*>(ControlById(dialog, 1061))->SetFolder(destination);
            // A destination that does not exist cannot be chosen in a tree; it may be stored.
            qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->setText(destination);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1019))->setChecked(ask);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1020))->setChecked(mail);
            return int(QDialog::Accepted);
        });
    }
    // Runs "Verzeichnis umwandeln" to its end as the window sees it.
    static void RunToTheEnd(CMainDlg& window) {
        window.OnConvertFolder();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.FolderRunning(); }, 60000));
        window.WaitForConversions();
    }
    static QStringList Names(const QString& folder) {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }
    static std::vector<SentMail> Sent() {
        std::lock_guard lock(g_sentLock);
        return g_sent;
    }
    QStringList Notices() const {
        QStringList texts;
        for (const Message& message : prompts.Messages()) {
            if (message.text != kQuestion) {
                texts << message.text;
            }
        }
        return texts;
    }
    int Questions() const {
        const QStringList texts = prompts.Texts();
        return static_cast<int>(texts.count(kQuestion));
    }

    TestFolder source;
    TestFolder destination;
    RecordingPrompts prompts;
};

}  // namespace

TEST(FolderListing, TakesThePatternsInOrderIgnoringCaseAndNothingBelow) {
    TestFolder folder;
    for (const char* name : {"b.jpg", "a.gif", "c.bmp", "d.png", "e.jpeg", "f.jpe", "UPPER.JPG",
                             "g.Bmp", "sub/inner.jpg", "no-extension", "h.heic", "i.TIFF", "j.webp",
                             "b 368x276.jpg", "lonely 368x276.jpg", "c 200x150.JPG", "notes.txt"}) {
        QDir(folder.Path()).mkpath(QFileInfo(folder.File(name)).path());
        WriteAll(folder.File(name), "x");
    }
    QDir(folder.Path()).mkpath("x.jpg");
    const FolderPictures listing = ListFolderPictures(folder.Path() + '/');
    QStringList names;
    for (const QString& file : listing.pictures) {
        EXPECT_FALSE(file.contains("//")) << "one separator after the folder";
        names << QFileInfo(file).fileName();
    }
    // A result of an earlier run beside its picture is named, not taken; one without its
    // picture, or named otherwise than the program names results, is a picture like any.
    EXPECT_EQ(names, (QStringList{"UPPER.JPG", "b.jpg", "c 200x150.JPG", "lonely 368x276.jpg",
                                  "f.jpe", "e.jpeg", "a.gif", "c.bmp", "g.Bmp", "h.heic", "j.webp",
                                  "d.png", "i.TIFF"}));
    ASSERT_EQ(listing.skipped.size(), 2u);
    EXPECT_EQ(listing.skipped[0].shownName, "b 368x276.jpg");
    EXPECT_EQ(listing.skipped[0].reason, SkippedFile::Reason::AlreadyShrunk);
    EXPECT_EQ(listing.skipped[1].shownName, "x.jpg");
    EXPECT_EQ(listing.skipped[1].reason, SkippedFile::Reason::Folder);
}

TEST(FolderRunTexts, NameEachFailureAndCutLongListsShort) {
    FolderRunReport report;
    report.files.push_back({"/q/gut.jpg", {}});
    report.files.back().result.target = "/z/gut 368x276.jpg";
    for (int i = 1; i <= 12; ++i) {
        report.failed.push_back({QStringLiteral("/q/f%1.jpg").arg(i), "Grund.", "reason"});
    }
    QStringList expected{"Umgewandelt: 1 Datei. Nicht umgewandelt: 12 Dateien.", ""};
    for (int i = 1; i <= 10; ++i) {
        expected << QStringLiteral("f%1.jpg: Grund.").arg(i);
    }
    expected << "... und 2 weitere";
    EXPECT_EQ(FolderRunTexts::EndReport(report, false), expected.join('\n'));
    report.failed.resize(1);
    report.warned.push_back({"/q/halb.jpg", "Abgeschnitten.", "cut off"});
    EXPECT_EQ(FolderRunTexts::EndReport(report, true),
              "Umgewandelt: 1 Datei. Nicht umgewandelt: 1 Datei.\n\nf1.jpg: Grund.\n\n"
              "Umgewandelt, aber beschädigt:\nhalb.jpg: Abgeschnitten.\n\n"
              "Die Mail enthält nur die umgewandelten Bilder.");
    report.failed.clear();
    EXPECT_EQ(FolderRunTexts::EndReport(report, true),
              "Alle Dateine sind umgewandelt\n\nUmgewandelt, aber beschädigt:\n"
              "halb.jpg: Abgeschnitten.");
}

TEST_F(FolderWindow, RunsConvertAskAndMailAsChosen) {
    const QSize wide(800, 600);
    const QString d = "same as source";
    const struct {
        const char* what;
        std::vector<Entry> entries;
        bool ask, mail;
        std::vector<Answer> answers;
        QStringList written;  // in the destination, by name
        QStringList notices;
        int questions;
        std::vector<QStringList> mails;  // the attachments of each mail sent
        QString destination = {};        // empty: a folder of its own
    } cases[] = {
        {"patterns in order, mailed in that order",
         {{"b.jpg", wide},
          {"a.gif", wide, "gif"},
          {"c.bmp", wide, "bmp"},
          {"d.png", wide, "png"},
          {"UPPER.JPG", {600, 800}}},
         false,
         true,
         {},
         {"UPPER 276x368.jpg", "a 368x276.jpg", "b 368x276.jpg", "c 368x276.jpg", "d 368x276.jpg"},
         {},
         0,
         {{"UPPER 276x368.jpg", "b 368x276.jpg", "a 368x276.jpg", "c 368x276.jpg",
           "d 368x276.jpg"}}},
        {"an empty folder is said to hold no pictures",
         {},
         false,
         false,
         {},
         {},
         {"Im Verzeichnis „%1“ gibt es keine Bilder (*.jpg, *.jpe, *.jpeg, *.gif, *.bmp, *.heic, "
          "*.heif, *.webp, *.png, *.tif, *.tiff).\nEs "
          "wurde nichts umgewandelt."},
         0,
         {}},
        {"Cancel at the first file",
         {{"b.jpg", wide}, {"c.jpg", wide}},
         true,
         true,
         {Answer::Cancel},
         {},
         {},
         1,
         {}},
        {"No at every file, with mail",
         {{"b.jpg", wide}, {"c.gif", wide, "gif"}},
         true,
         true,
         {Answer::No, Answer::No},
         {},
         {},
         2,
         {{}}},
        {"Yes and No",
         {{"b.jpg", wide}, {"c.jpg", {400, 400}}},
         true,
         false,
         {Answer::No, Answer::Yes},
         {"c 368x368.jpg"},
         {kAllConverted},
         2,
         {}},
        {"one result name for x.jpg and x.gif: the later wins",
         {{"x.jpg", wide, "jpeg", qRgb(250, 0, 0)}, {"x.gif", wide, "gif", qRgb(0, 0, 250)}},
         false,
         true,
         {},
         {"x 368x276.jpg"},
         {QStringLiteral("Alle Dateine sind umgewandelt\n\n"
                         "Umgewandelt unter dem Namen eines anderen Ergebnisses:\n"
                         "x.gif: gleicher Ergebnisname wie x.jpg; dessen Ergebnis ist ersetzt")},
         0,
         {{"x 368x276.jpg"}}},
        {"a result of an earlier run is named, not shrunk again",
         {{"b.jpg", wide}, {"b 368x276.jpg", {368, 276}}},
         false,
         false,
         {},
         {"b 368x276.jpg", "b.jpg"},
         {QStringLiteral("Alle Dateine sind umgewandelt\n\nÜbersprungen:\n"
                         "b 368x276.jpg: bereits verkleinert")},
         0,
         {},
         d},
        {"into its own folder, each file once",
         {{"b.jpg", wide}, {"a.bmp", {300, 600}, "bmp"}},
         false,
         false,
         {},
         {"a 184x368.jpg", "a.bmp", "b 368x276.jpg", "b.jpg"},
         {kAllConverted},
         0,
         {},
         d},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestFolder from;
        TestFolder into;
        const QString target = c.destination == d ? from.Path() : into.Path();
        for (const Entry& entry : c.entries) {
            Put(from.Path(), entry);
        }
        RecordingPrompts seen;
        for (const Answer answer : c.answers) {
            seen.AnswerNext(answer);
        }
        {
            std::lock_guard lock(g_sentLock);
            g_sent.clear();
        }
        auto window = Start();
        seen.AnswerDialogNext([&](QDialog& dialog) {
            qobject_cast<CFolderPane*>(ControlById(dialog, 1060))->SetFolder(from.Path());
            qobject_cast<CFolderPane*>(ControlById(dialog, 1061))->SetFolder(target);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1019))->setChecked(c.ask);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1020))->setChecked(c.mail);
            return int(QDialog::Accepted);
        });
        RunToTheEnd(*window);
        EXPECT_EQ(Names(target), c.written);
        QStringList notices;
        int questions = 0;
        for (const Message& message : seen.Messages()) {
            if (message.text == kQuestion) {
                ++questions;
                EXPECT_EQ(message.buttons, MessageButtons::YesNoCancel);
            } else {
                notices << message.text;
            }
        }
        QStringList expected = c.notices;
        expected.replaceInStrings("%1", from.Path());
        EXPECT_EQ(notices, expected);
        EXPECT_EQ(questions, c.questions);
        const std::vector<SentMail> sent = Sent();
        ASSERT_EQ(sent.size(), c.mails.size());
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].attachments, c.mails[i]);
            EXPECT_EQ(sent[i].subject, "Beiliegend Ihre Bilder");
        }
        if (c.written.contains("x 368x276.jpg")) {
            EXPECT_GT(qBlue(QImage(target + "/x 368x276.jpg").pixel(5, 5)), 200);
        }
        EXPECT_EQ(window->BatchMail().sourceFolder, from.Path()) << "kept for the next run";
        EXPECT_EQ(window->BatchMail().askPerFile, c.ask ? 1 : 0);
    }
}

TEST_F(FolderWindow, SkipsWhatItCannotConvertAndSaysSoAlsoBeforeTheMail) {
    Put(source.Path(), {"gut.gif", {800, 600}, "gif"});
    Put(source.Path(), {"kaputt.jpg", {}});
    Put(source.Path(), {"ordner.jpg", {}, "folder"});
    const QByteArray jpeg = Encode(QuarterPattern(800, 600), "jpeg");
    WriteAll(source.File("halb.jpg"), jpeg.left(jpeg.size() / 2));
    auto window = Start();
    ChooseInDialog(source.Path(), destination.Path(), false, true);
    RunToTheEnd(*window);
    EXPECT_EQ(Names(destination.Path()), (QStringList{"gut 368x276.jpg", "halb 368x276.jpg"}))
        << "no sample picture under the damaged file's name";
    EXPECT_EQ(Notices(),
              QStringList{"Umgewandelt: 2 Dateien. Nicht umgewandelt: 2 Dateien.\n\n"
                          "ordner.jpg: Das ist ein Ordner, keine Bilddatei.\n"
                          "kaputt.jpg: Das Bild hat einen beschädigten Kopf.\n\n"
                          "Umgewandelt, aber beschädigt:\n"
                          "halb.jpg: Das Bild ist abgeschnitten; umgewandelt wurde, was davon da "
                          "ist.\n\n"
                          "Die Mail enthält nur die umgewandelten Bilder."});
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(Sent()[0].attachments, (QStringList{"halb 368x276.jpg", "gut 368x276.jpg"}));
}

TEST_F(FolderWindow, FoldersThatCannotServeAreSaidOnceBeforeAnyPicture) {
    const bool root = ::geteuid() == 0;  // reads and writes whatever the modes say
    Put(source.Path(), {"gut.gif", {800, 600}, "gif"});
    Put(source.Path(), {"kaputt.jpg", {}});
    TestFolder other;
    QDir(other.Path()).mkdir("leer");
    WriteAll(other.File("leer/notiz.txt"), "keine Bilder");
    QDir(other.Path()).mkdir("gesperrt");
    QFile::setPermissions(other.File("gesperrt"), QFile::WriteOwner);
    QDir(other.Path()).mkdir("schreibgeschützt");
    QFile::setPermissions(other.File("schreibgeschützt"), QFile::ReadOwner | QFile::ExeOwner);
    const struct {
        QString source;
        QString destination;
        bool mail;
        QString told;
        bool skippedByRoot;
    } cases[] = {
        {other.File("fehlt"), destination.Path(), true,
         "Das Verzeichnis „" + other.File("fehlt") +
             "“ gibt es nicht.\nEs wurde nichts umgewandelt und nichts versendet.",
         false},
        {other.File("gesperrt"), destination.Path(), false,
         "Das Verzeichnis „" + other.File("gesperrt") +
             "“ lässt sich nicht lesen.\nSie haben keine Leserechte dafür.\nEs wurde nichts "
             "umgewandelt.",
         true},
        {other.File("leer"), destination.Path(), true,
         "Im Verzeichnis „" + other.File("leer") +
             "“ gibt es keine Bilder (*.jpg, *.jpe, *.jpeg, *.gif, *.bmp, *.heic, *.heif, *.webp, "
             "*.png, *.tif, *.tiff).\nEs wurde nichts "
             "umgewandelt und nichts versendet.",
         false},
        {source.Path(), other.File("fehlt"), false,
         "Das Zielverzeichnis „" + other.File("fehlt") +
             "“ gibt es nicht.\nEs wurde nichts umgewandelt.",
         false},
        {source.Path(), other.File("schreibgeschützt"), true,
         "In das Zielverzeichnis „" + other.File("schreibgeschützt") +
             "“ lässt sich nichts schreiben.\nSie dürfen in diesen Ordner nicht schreiben.\nEs "
             "wurde nichts umgewandelt und nichts versendet.",
         true},
    };
    auto window = Start();
    for (const auto& c : cases) {
        if (root && c.skippedByRoot) {
            continue;
        }
        SCOPED_TRACE(c.source.toStdString() + " -> " + c.destination.toStdString());
        RecordingPrompts told;
        told.AnswerDialogNext([&](QDialog& dialog) {
            if (QFileInfo(c.source).isDir()) {
                qobject_cast<CFolderPane*>(ControlById(dialog, 1060))->SetFolder(c.source);
            }
            qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->setText(c.destination);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1019))->setChecked(true);
            qobject_cast<QCheckBox*>(ControlById(dialog, 1020))->setChecked(c.mail);
            return int(QDialog::Accepted);
        });
        if (!QFileInfo(c.source).isDir()) {
            // A folder gone since it was chosen: as stored, or named on the command line.
            window->SetCommandLine({"/V", c.source});
            window->ProcessCommandLine();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window->FolderRunning(); }, 60000));
            window->WaitForConversions();
        } else {
            RunToTheEnd(*window);
        }
        EXPECT_EQ(told.Texts(), QStringList{c.told}) << "no question, no end report";
        EXPECT_TRUE(Sent().empty());
        EXPECT_TRUE(Names(destination.Path()).isEmpty());
    }
    QFile::setPermissions(other.File("gesperrt"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(other.File("schreibgeschützt"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FolderWindow, ShowsEachPictureThenThePictureOpenBefore) {
    Put(source.Path(), {"hoch.png", {300, 600}, "png"});
    Put(source.Path(), {"breit.jpg", {900, 300}});
    auto window = Start();
    prompts.ChooseNext(source.File("hoch.png"));
    window->OnOpen();
    window->WaitForConversions();
    QSize shownAtQuestion;
    QString titleAtQuestion;
    prompts.AnswerNextWith([&](const Message&) {
        shownAtQuestion = {window->Converter().Preview()->pictureWidth,
                           window->Converter().Preview()->pictureHeight};
        QCoreApplication::sendPostedEvents();
        titleAtQuestion = window->windowTitle();
        return Answer::Yes;
    });
    ChooseInDialog(source.Path(), destination.Path(), true, false);
    RunToTheEnd(*window);
    EXPECT_EQ(shownAtQuestion, QSize(368, 122)) << "breit.jpg before its question";
    EXPECT_TRUE(titleAtQuestion.startsWith("breit.jpg (")) << titleAtQuestion.toStdString();
    EXPECT_EQ(Names(destination.Path()), QStringList{"breit 368x122.jpg"});
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 184);
    EXPECT_EQ(window->Converter().Preview()->pictureHeight, 368);
    EXPECT_TRUE(window->windowTitle().startsWith("hoch.png ("))
        << window->windowTitle().toStdString();
}

TEST_F(FolderWindow, TheProgressWindowStandsCentredOverTheWindow) {
    Put(source.Path(), {"a.jpg", {80, 60}});
    auto window = Start();
    window->setGeometry(150, 100, 900, 700);
    QRect progress;
    prompts.AnswerNextWith([&](const Message&) {
        progress = window->FolderProgress()->frameGeometry();
        return Answer::No;
    });
    ChooseInDialog(source.Path(), destination.Path(), true, false);
    RunToTheEnd(*window);
    ASSERT_FALSE(progress.isEmpty());
    EXPECT_LE((progress.center() - window->frameGeometry().center()).manhattanLength(), 2)
        << progress.x() << "," << progress.y();
}

TEST_F(FolderWindow, RefusesOtherCommandsDuringARunButTakesNewSizesForLaterFiles) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        Put(source.Path(), {name, {800, 600}});
    }
    auto window = Start();
    QString progressAtQuestion;
    prompts.AnswerNextWith([&](const Message&) {
        progressAtQuestion = window->FolderProgress()->CountText();
        window->OnOpen();
        window->OnSaveAs();
        window->OnSendByMail();
        window->OnConvertFolder();
        window->OnParamChange(200, kSizeChanged);
        window->OnParamChange(window->Params().Quality, kQualityChanged);  // the panel's countdown
        return Answer::Yes;
    });
    prompts.AnswerNext(Answer::Yes);
    prompts.AnswerNextWith([&](const Message&) {
        // "Abbrechen" in the progress window answers the open question with Cancel as well.
        QTest::mouseClick(window->FolderProgress()->findChild<QPushButton*>("cancel"),
                          Qt::LeftButton);
        return Answer::Yes;
    });
    ChooseInDialog(source.Path(), destination.Path(), true, true);
    RunToTheEnd(*window);
    EXPECT_EQ(progressAtQuestion, "1 von 3");
    EXPECT_EQ(Notices(), QStringList(4, kBusy));
    EXPECT_TRUE(prompts.FileRequests().empty());
    EXPECT_EQ(prompts.DialogCaptions(), QStringList{"Verzeichnis umwandeln"});
    EXPECT_EQ(Names(destination.Path()), (QStringList{"a 368x276.jpg", "b 200x150.jpg"}))
        << "a cancel keeps what was written";
    EXPECT_TRUE(Sent().empty()) << "a cancelled run sends nothing";
    EXPECT_EQ(window->FolderProgress(), nullptr);

    prompts.ChooseNext(source.File("a.jpg"));
    window->OnOpen();
    EXPECT_EQ(window->PicturePath(), source.File("a.jpg")) << "open again after the run";
}

TEST_F(FolderWindow, TheDialogShowsTheValuesAndTakesThemBackOnlyOnOk) {
    QDir(source.Path()).mkpath("Urlaub");
    QDir(source.Path()).mkpath("Winter");
    QDir(source.Path()).mkpath(".versteckt");
    CConvertDirDlg dialog;
    dialog.m_sourceFolder = source.File("Urlaub");
    dialog.m_askPerFile = 1;
    QString editAfterClick;
    QString editAfterMissing;
    QStringList names;
    bool hiddenShown = false;
    const auto edit = [&](int id) {
        return qobject_cast<QLineEdit*>(ControlById(dialog, id))->text();
    };
    prompts.AnswerDialogNext([&](QDialog& shown) {
        shown.show();
        auto* sourcePane = qobject_cast<CFolderPane*>(ControlById(shown, 1060));
        auto* destinationPane = qobject_cast<CFolderPane*>(ControlById(shown, 1061));
        names << sourcePane->accessibleName() << destinationPane->accessibleName();
        EXPECT_TRUE(qobject_cast<QLineEdit*>(ControlById(shown, 1021))->isReadOnly());
        EXPECT_TRUE(qobject_cast<QCheckBox*>(ControlById(shown, 1019))->isChecked());
        EXPECT_FALSE(sourcePane->toolTip().isEmpty());
        const auto* model = qobject_cast<const QFileSystemModel*>(sourcePane->model());
        // The folders around the chosen one arrive later and move it; it is kept in view, and
        // the click goes where the person sees its neighbour.
        const QModelIndex winter = model->index(source.File("Winter"));
        hiddenShown = QTest::qWaitFor(
            [&] {
                return model->rowCount(model->index(source.Path())) == 3 &&
                       sourcePane->viewport()->rect().contains(sourcePane->visualRect(winter));
            },
            30000);
        QTest::mouseClick(sourcePane->viewport(), Qt::LeftButton, {},
                          sourcePane->visualRect(winter).center());
        editAfterClick = edit(1021);
        destinationPane->SetFolder(source.Path());
        destinationPane->SetFolder(source.File("gibt es nicht"));
        editAfterMissing = edit(1022);
        return int(QDialog::Accepted);
    });
    ASSERT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(names, (QStringList{source.File("Urlaub"), "Verzeichnis auswählen"}));
    EXPECT_EQ(editAfterClick, source.File("Winter"));
    EXPECT_TRUE(hiddenShown) << "Urlaub, Winter and .versteckt";
    EXPECT_EQ(editAfterMissing, source.Path()) << "a folder that is not there is not chosen";
    EXPECT_EQ(dialog.m_sourceFolder, source.File("Winter"));
    EXPECT_EQ(dialog.m_destinationFolder, source.Path());

    // The panes sit where the template's edit fields were, at their size.
    const auto layout = LoadDialogTemplate(134);
    ASSERT_TRUE(layout.has_value());
    for (const ControlTemplate& control : layout->controls) {
        if (control.id == 1060 || control.id == 1061) {
            EXPECT_EQ(ControlById(dialog, control.id)->geometry(),
                      DialogUnits(layout->font).ToPixels(control.rect));
        }
    }

    // Abbrechen in the window's dialog changes nothing and starts nothing.
    auto window = Start();
    const BatchMailSettings before = window->BatchMail();
    prompts.AnswerDialogNext([](QDialog& shown) {
        qobject_cast<QCheckBox*>(ControlById(shown, 1020))->setChecked(true);
        qobject_cast<QLineEdit*>(ControlById(shown, 1021))->setText("/anders");
        return int(QDialog::Rejected);
    });
    window->OnConvertFolder();
    EXPECT_FALSE(window->FolderRunning());
    EXPECT_EQ(window->BatchMail().sendByMail, before.sendByMail);
    EXPECT_EQ(window->BatchMail().sourceFolder, before.sourceFolder);
}

TEST_F(FolderWindow, ARunGoesOnWhileTheParametersChange) {
    for (int i = 0; i < 8; ++i) {
        Put(source.Path(), {QStringLiteral("p%1.jpg").arg(i), {640, 480}});
    }
    auto window = Start();
    ChooseInDialog(source.Path(), destination.Path(), false, false);
    window->OnConvertFolder();
    for (int step = 0; window->FolderRunning(); ++step) {
        window->Params().Brightness = step % 40 - 20;
        window->OnParamChange(step % 2 ? 368 : 100, step % 3 == 0 ? kColoursChanged : kSizeChanged);
        if (step % 50 == 0) {
            window->OnParamChange(window->Params().Quality, kQualityChanged);
        }
        QCoreApplication::processEvents();
    }
    window->WaitForConversions();
    const QStringList written = Names(destination.Path());
    ASSERT_EQ(written.size(), 8);
    for (const QString& name : written) {
        EXPECT_TRUE(name.endsWith(" 368x276.jpg") || name.endsWith(" 100x75.jpg"))
            << name.toStdString();
        EXPECT_TRUE(QImageReader(destination.File(name)).canRead()) << name.toStdString();
    }
    EXPECT_EQ(Notices(), QStringList{kAllConverted});
}

namespace {

// The real question boxes, with "Verzeichnis umwandeln" answered by the test.
class BoxesAndDialog final : public Prompts {
public:
    Answer ShowMessage(const Message& message) override { return m_boxes.ShowMessage(message); }
    std::optional<QString> AskFileName(const FileDialogRequest& request) override {
        return m_boxes.AskFileName(request);
    }
    void CloseQuestions() override { m_boxes.CloseQuestions(); }
    int RunDialog(QDialog& dialog) override { return m_dialog(dialog); }

    std::function<int(QDialog&)> m_dialog;

private:
    WidgetPrompts m_boxes;
};

}  // namespace

TEST_F(FolderWindow, ClosingTheWindowAtAQuestionEndsTheRunAtOnce) {
    for (const char* name : {"a.jpg", "b.jpg"}) {
        Put(source.Path(), {name, {800, 600}});
    }
    BoxesAndDialog boxes;
    const struct Installed {
        Prompts* previous;
        ~Installed() { InstallPrompts(previous); }
    } installed{InstallPrompts(&boxes)};
    auto window = Start();
    boxes.m_dialog = [&](QDialog& dialog) {
        qobject_cast<QLineEdit*>(ControlById(dialog, 1021))->setText(source.Path());
        qobject_cast<QLineEdit*>(ControlById(dialog, 1022))->setText(destination.Path());
        qobject_cast<QCheckBox*>(ControlById(dialog, 1019))->setChecked(true);
        return int(QDialog::Accepted);
    };
    window->OnConvertFolder();
    bool sawQuestion = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && window->isVisible()) {
            sawQuestion = box->text() == kQuestion;
            window->close();
        }
    });
    closer.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 30000));
    EXPECT_TRUE(sawQuestion);
    EXPECT_FALSE(window->Worker().Running());
    EXPECT_FALSE(window->FolderRunning());
    EXPECT_TRUE(Names(destination.Path()).isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no end message after a close";
}
