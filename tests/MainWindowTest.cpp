#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <optional>
#include <thread>

#include "batch/ConvertDirDlg.h"
#include "mail/MailSetupDlg.h"
#include "platform/widgets/DialogTemplate.h"
#include "platform/widgets/WidgetPrompts.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "window/MainDlg.h"
#include "workflow/PreviewLayout.h"
#include "workflow/WindowWorker.h"

TEST(DialogTemplateTest, ModalFramesHaveAFixedSizeAndOnlyTheMainWindowGrows) {
    CMainDlg window;
    CConvertDirDlg folders(&window);
    CMailSetupDlg mail(&window);
    const struct {
        QDialog* dialog;
        bool fixed;
    } cases[] = {{&folders, true}, {&mail, true}, {&window, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.dialog->minimumSize() == c.dialog->maximumSize(), c.fixed)
            << c.dialog->windowTitle().toStdString();
    }
}

namespace {

class MainWindow : public WindowTest {
protected:
    // Sizes the window so that the preview control gets `preview` pixels.
    static void SizePreview(CMainDlg& window, QSize preview) {
        window.resize(preview.width() + 36, preview.height() + 36);
    }
    QMap<QString, QString> Stored() const {
        QSettings file(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat);
        QMap<QString, QString> values;
        for (const QString& key : file.allKeys()) {
            values[key] = file.value(key).toString();
        }
        return values;
    }
    QString PreviewFile() const { return temp.File("Temppic.jpg"); }
    static QScrollBar* Bar(CMainDlg& window, int id) {
        return qobject_cast<QScrollBar*>(ControlById(window, id));
    }

    TestFolder pictures;
    RecordingPrompts prompts;
};

}  // namespace

TEST_F(MainWindow, StartsWithTheSamplePictureAndItsSizeInTheTitle) {
    auto window = Start();
    ASSERT_TRUE(QFile::exists(PreviewFile()));
    const int kb = static_cast<int>(QFileInfo(PreviewFile()).size() / 1000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Beispielbild (%1 Kb)").arg(kb));
    EXPECT_EQ(window->Params().TargetSize, 368);
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 368);
    EXPECT_EQ(window->Converter().Preview()->pictureHeight, 276);
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(MainWindow, WithoutTempThePreviewStaysInAFolderOnlyTheUserCanEnter) {
    TestFolder runtime;
    TestFolder elsewhere;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("TEMP");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.Path()));
    const QString own = runtime.File("plenmar");
    enum class Before { Nothing, OpenFolder, Link, File };
    const struct {
        const char* tmpdir;
        Before before;
        bool written;  // into the folder of our own
    } cases[] = {{"", Before::Nothing, true},
                 {"", Before::OpenFolder, true},
                 {"", Before::Link, false},
                 {"", Before::File, false},
                 {"tmpdir", Before::Nothing, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.before));
        RecordingPrompts told;
        QFile::remove(own);
        QDir(own).removeRecursively();
        switch (c.before) {
            case Before::Nothing:
                break;
            case Before::OpenFolder:
                QDir().mkdir(own);
                QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
                break;
            case Before::Link:
                QFile::link(elsewhere.Path(), own);
                break;
            case Before::File:
                WriteAll(own, "");
                break;
        }
        if (*c.tmpdir != '\0') {
            qputenv("TMPDIR", QFile::encodeName(temp.Path()));
        }
        auto window = Start();
        window->OnParamChange(300, kSizeChanged);
        window->OnParamChange(70, kQualityChanged);
        window->WaitForConversions();
        qunsetenv("TMPDIR");
        const QFileInfo preview(own + "/Temppic.jpg");
        EXPECT_EQ(preview.exists(), c.written);
        EXPECT_TRUE(QDir(elsewhere.Path()).isEmpty()) << "nothing through another's link";
        if (c.written) {
            EXPECT_EQ(QFileInfo(own).permissions() & 0x0777,
                      QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
            EXPECT_EQ(preview.permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        }
        if (*c.tmpdir != '\0') {
            EXPECT_TRUE(QFile::exists(temp.File("Temppic.jpg"))) << "the folder the user chose";
        }
        EXPECT_EQ(told.Messages().size(), c.written || *c.tmpdir != '\0' ? 0u : 1u)
            << "a preview that cannot be written is told once";
        window->close();
    }
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

TEST_F(MainWindow, LaysOutItsControlsOnEveryResize) {
    auto window = Start();
    window->resize(800, 600);
    EXPECT_EQ(ControlById(*window, 1000)->geometry(), QRect(10, 10, 764, 564));
    EXPECT_EQ(ControlById(*window, 1002)->geometry(), QRect(10, 574, 764, 16));
    EXPECT_EQ(ControlById(*window, 1003)->geometry(), QRect(774, 10, 16, 564));
}

TEST_F(MainWindow, PaintsThePreviewAtItsPixelSizeCentredOnGrey) {
    // The last session ended at a large size: its box must not hide the picture drawn now.
    QDir(config.Path()).mkpath("Weskamor");
    WriteAll(config.File("Weskamor/Plenmar.conf"), "[Setting]\nX=3000\nY=2250\n");
    auto window = Start();
    SizePreview(*window, {600, 400});
    EXPECT_EQ(window->Params().CompanionSize, 276) << "from the picture drawn, not as stored";
    EXPECT_FALSE(Bar(*window, 1002)->isVisible());
    EXPECT_FALSE(Bar(*window, 1003)->isVisible()) << "bars follow the box, not the painting";
    const QImage painted = ControlById(*window, 1000)->grab().toImage();
    const QImage preview = window->Converter().Preview()->image;
    EXPECT_EQ(painted.pixel(116, 62), preview.pixel(0, 0));
    EXPECT_EQ(painted.pixel(116 + 367, 62 + 275), preview.pixel(367, 275));
    EXPECT_EQ(painted.pixel(115, 62), qRgb(128, 128, 128));
    EXPECT_EQ(painted.pixel(0, 0), qRgb(0, 0, 0)) << "black border";
}

TEST_F(MainWindow, ScrollsALargeBoxAndIgnoresForeignHorizontalMessages) {
    auto window = Start();
    window->OnParamChange(1000, kSizeChanged);
    SizePreview(*window, {600, 400});
    QScrollBar* horizontal = Bar(*window, 1002);
    QScrollBar* vertical = Bar(*window, 1003);
    EXPECT_EQ(horizontal->maximum(), 400);
    EXPECT_EQ(vertical->maximum(), 350);

    window->OnHScroll(ScrollCode::ThumbTrack, 400, horizontal);
    EXPECT_EQ(window->ScrollX(), 399);
    EXPECT_EQ(horizontal->value(), 399);
    window->OnHScroll(ScrollCode::LineDown, 0, vertical);
    EXPECT_EQ(window->ScrollX(), 399) << "only bar 1002 scrolls sideways";
    window->OnVScroll(ScrollCode::PageDown, 0, vertical);
    EXPECT_EQ(window->ScrollY(), 30);
    const QImage painted = ControlById(*window, 1000)->grab().toImage();
    EXPECT_EQ(painted.size(), QSize(600, 400));

    // A real click on the bar's arrow goes the same way: ten pixels a line.
    horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(window->ScrollX(), 389);
}

TEST_F(MainWindow, EnterDoesNothingAndEscapeClosesStoringEverything) {
    auto window = Start();
    QTest::keyClick(window.get(), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Stored().isEmpty());

    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    const QMap<QString, QString> stored = Stored();
    EXPECT_EQ(stored.size(), 16);
    EXPECT_EQ(stored["Setting/X"], "368");
    EXPECT_EQ(stored["Setting/Quality"], "70");
    EXPECT_FALSE(QFile::exists(PreviewFile())) << "the preview file goes with the window";
}

TEST_F(MainWindow, KeepsItsSizeFromStartToStartButStoresTheUsersResizing) {
    QMap<QString, QString> first;
    for (int start = 0; start < 3; ++start) {
        auto window = Start();
        window->close();
        if (start == 0) {
            first = Stored();
        }
        EXPECT_EQ(Stored()["Setting/Position Right"], first["Setting/Position Right"]) << start;
        EXPECT_EQ(Stored()["Setting/Position Bottom"], first["Setting/Position Bottom"]) << start;
    }
    auto window = Start();
    window->resize(500, 300);
    window->close();
    EXPECT_EQ(
        Stored()["Setting/Position Right"].toInt() - Stored()["Setting/Position Left"].toInt(),
        500);
}

TEST_F(MainWindow, ExtremeStoredPositionsAreFittedToTheScreen) {
    QDir(config.Path()).mkpath("Weskamor");
    WriteAll(config.File("Weskamor/Plenmar.conf"),
             "[Setting]\nPosition%20Left=-2147483648\nPosition%20Right=2147483647\n"
             "Position%20Top=-2147483648\nPosition%20Bottom=2147483647\n");
    auto window = Start();
    // Placed as stored: its position, and the size of its inside, cut to the screen.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), screen.topLeft());
    EXPECT_EQ(window->size(), screen.size());
}

TEST_F(MainWindow, OpenAndSaveAsGoThroughTheFileDialogs) {
    auto window = Start();
    const QString before = window->windowTitle();
    prompts.ChooseNext({});  // cancelled
    window->OnOpen();
    window->WaitForConversions();
    EXPECT_EQ(window->windowTitle(), before);
    EXPECT_EQ(window->PicturePath(), "");
    ASSERT_EQ(prompts.FileRequests().size(), 1u);
    const FileDialogRequest open = prompts.FileRequests()[0];
    EXPECT_EQ(open.kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(open.defaultExtension, "jpg");
    EXPECT_EQ(QtNameFilters(open.filter),
              QStringList({"Bilder (*.jpg *.jpe *.jpeg *.gif *.bmp *.heic *.heif *.webp *.png "
                           "*.tif *.tiff)",
                           "Bilder (*.jpg *.jpe *.jpeg *.gif *.bmp)", "Alle Dateien (*)"}));

    const QString picture = pictures.File("Urlaub.gif");
    WriteAll(picture, Encode(QuarterPattern(800, 600), "gif"));
    prompts.ChooseNext(picture);
    window->OnOpen();
    EXPECT_EQ(window->windowTitle(), "Urlaub.gif") << "the name at once, the size when converted";
    window->WaitForConversions();
    EXPECT_TRUE(window->windowTitle().startsWith("Urlaub.gif ("))
        << window->windowTitle().toStdString();

    const QString target = pictures.File("klein.jpg");
    prompts.ChooseNext(target);
    window->OnSaveAs();
    window->WaitForConversions();
    EXPECT_EQ(QImage(target).size(), QSize(368, 276));
    EXPECT_EQ(window->PicturePath(), picture) << "the current picture stays";
    const FileDialogRequest save = prompts.FileRequests().back();
    EXPECT_EQ(save.kind, FileDialogRequest::Kind::Save);
    EXPECT_EQ(save.filter, "Bilder (*.jpg)|*.jpg");

    QApplication::setActiveWindow(window.get());
    QTest::keySequence(window.get(), QKeySequence::Open);
    EXPECT_EQ(prompts.FileRequests().size(), 4u) << "Ctrl+O opens too";
}

TEST_F(MainWindow, AnUnreadablePictureIsToldAndThePictureThatWasOpenStays) {
    const QString open = pictures.File("Urlaub.gif");
    WriteAll(open, Encode(QuarterPattern(800, 600), "gif"));
    WriteAll(pictures.File("Notiz.jpg"), "Einkaufen: Milch, Brot");
    WriteAll(pictures.File("kaputt.bmp"), QByteArray("BM") + QByteArray(60, '\xff'));
    QDir(pictures.Path()).mkdir("Ordner.jpg");
    enum class Way { Dialog, CommandLine };
    const struct {
        const char* name;
        Way way;
        bool pictureOpen;
        const char* reason;
    } cases[] = {
        {"Notiz.jpg", Way::Dialog, true,
         "Die Datei ist kein Bild (JPEG, GIF, BMP, PNG, TIFF, WebP oder HEIC)."},
        {"Notiz.jpg", Way::CommandLine, false,
         "Die Datei ist kein Bild (JPEG, GIF, BMP, PNG, TIFF, WebP oder HEIC)."},
        {"fehlt.jpg", Way::Dialog, false, "Die Datei existiert nicht."},
        {"fehlt.jpg", Way::CommandLine, true, "Die Datei existiert nicht."},
        {"kaputt.bmp", Way::Dialog, true, "Das Bild hat einen beschädigten Kopf."},
        {"Ordner.jpg", Way::CommandLine, true, "keine gewöhnliche Datei"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(config.File("Weskamor/Plenmar.conf"));  // each start from nothing
        RecordingPrompts told;
        auto window = Start();
        if (c.pictureOpen) {
            told.ChooseNext(open);
            window->OnOpen();
            window->WaitForConversions();
        }
        const QImage shown = window->Converter().Preview()->image;
        const QString bad = pictures.File(c.name);
        if (c.way == Way::Dialog) {
            told.ChooseNext(bad);
            window->OnOpen();
        } else {
            window->SetCommandLine(bad.split(' '));
            window->ProcessCommandLine();
        }
        window->WaitForConversions();
        window->WaitForConversions();
        ASSERT_EQ(told.Messages().size(), 1u) << told.Texts().join('|').toStdString();
        EXPECT_TRUE(told.Messages()[0].text.startsWith(
            QStringLiteral("Das Bild „%1“ lässt sich nicht öffnen.\n").arg(bad)));
        EXPECT_TRUE(told.Messages()[0].text.contains(QString::fromUtf8(c.reason)))
            << told.Messages()[0].text.toStdString();
        EXPECT_EQ(window->PicturePath(), c.pictureOpen ? open : QString());
        EXPECT_TRUE(
            window->windowTitle().startsWith(c.pictureOpen ? "Urlaub.gif (" : "Beispielbild ("))
            << window->windowTitle().toStdString();
        EXPECT_EQ(window->Converter().Preview()->image, shown);
        window->close();
        EXPECT_EQ(Stored()["Setting/Testfile"], window->PicturePath());
    }
}

TEST_F(MainWindow, AStoredPictureThatIsGoneGivesTheSampleSilently) {
    QDir(config.Path()).mkpath("Weskamor");
    WriteAll(config.File("Weskamor/Plenmar.conf"), "[Setting]\nTestfile=/nirgends/Urlaub.jpg\n");
    auto window = Start();
    window->WaitForConversions();
    EXPECT_TRUE(prompts.Messages().empty()) << prompts.Texts().join('|').toStdString();
    EXPECT_EQ(window->PicturePath(), "");
    EXPECT_TRUE(window->windowTitle().startsWith("Beispielbild ("))
        << window->windowTitle().toStdString();
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 368);

    // On a stick not plugged in for one start, it is still the picture of the next one.
    window->close();
    EXPECT_EQ(Stored()["Setting/Testfile"], "/nirgends/Urlaub.jpg");
    window = Start();
    const QString other = temp.File("Anderes.jpg");
    WriteAll(other, Encode(QuarterPattern(400, 300), "jpeg"));
    prompts.ChooseNext(other);
    window->OnOpen();
    window->WaitForConversions();
    window->close();
    EXPECT_EQ(Stored()["Setting/Testfile"], other) << "until another picture is opened";
}

TEST_F(MainWindow, SaveAsProposesACopyBesideThePictureAndNamesTheOriginal) {
    auto window = Start();
    prompts.ChooseNext({});
    window->OnSaveAs();
    EXPECT_EQ(prompts.FileRequests().back().initialName,
              QDir::homePath() + "/Beispielbild 368x276.jpg");

    const QString original = pictures.File("Urlaub.jpg");
    const QByteArray originalBytes = Encode(QuarterPattern(2560, 1920), "jpeg");
    WriteAll(original, originalBytes);
    const QString other = pictures.File("andere.jpg");
    WriteAll(other, "alt");
    prompts.ChooseNext(original);
    window->OnOpen();
    window->WaitForConversions();

    const struct {
        QString chosen;
        std::optional<Answer> answer;  // none: nothing is asked
        const char* question;
        bool written;
    } cases[] = {
        {original, Answer::No, "ist das Originalbild, das gerade geöffnet ist", false},
        {other, Answer::No, "gibt es schon", false},
        {pictures.File("neu.jpg"), std::nullopt, "", true},
        {other, Answer::Yes, "gibt es schon", true},
        {original, Answer::Yes, "ist das Originalbild, das gerade geöffnet ist", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen.toStdString());
        const QByteArray before = QFile::exists(c.chosen) ? ReadAll(c.chosen) : QByteArray();
        const std::size_t asked = prompts.Messages().size();
        prompts.ChooseNext(c.chosen);
        if (c.answer) {
            prompts.AnswerNext(*c.answer);
        }
        window->OnSaveAs();
        window->WaitForConversions();
        EXPECT_EQ(prompts.FileRequests().back().initialName, pictures.File("Urlaub 368x276.jpg"));
        EXPECT_FALSE(prompts.FileRequests().back().options & FileDialogOption::OverwritePrompt)
            << "one question, ours";
        ASSERT_EQ(prompts.Messages().size(), asked + (c.answer ? 1 : 0));
        if (c.answer) {
            const Message question = prompts.Messages().back();
            EXPECT_TRUE(question.text.contains(QString::fromUtf8(c.question)))
                << question.text.toStdString();
            EXPECT_EQ(question.defaultNo, c.chosen == original) << "Enter keeps the original";
        }
        EXPECT_EQ(QFile::exists(c.chosen) && ReadAll(c.chosen) != before, c.written);
        if (c.written) {
            EXPECT_EQ(QImage(c.chosen).size(), QSize(368, 276));
        }
    }
}

TEST_F(MainWindow, ParameterChangesRedrawAtOnceAndOnlyAFullRunWrites) {
    auto window = Start();
    const QImage before = window->Converter().Preview()->image;
    const QByteArray file = ReadAll(PreviewFile());
    window->Params().Brightness = 50;
    const struct {
        int value, kind, targetSize;
    } changes[] = {{0, kColoursChanged, 368},
                   {0, kPreviewRedrawn, 368},
                   {2, kSizeChanged, 5},
                   {4000, kSizeChanged, 3000},
                   {50, 9, 3000}};  // a kind the panel never sends changes nothing
    for (const auto& c : changes) {
        window->OnParamChange(c.value, c.kind);
        window->WaitForConversions();
        EXPECT_EQ(window->Params().TargetSize, c.targetSize) << c.value << "/" << c.kind;
        EXPECT_EQ(ReadAll(PreviewFile()), file) << c.value << "/" << c.kind << " writes nothing";
    }
    EXPECT_NE(window->Converter().Preview()->image, before) << "the colours show at once";
    EXPECT_EQ(window->Params().CompanionSize, 2250);
    EXPECT_EQ(window->CurrentParams().TargetSize, 368) << "other threads wait for it to settle";

    window->OnParamChange(35, kQualityChanged);
    window->WaitForConversions();
    EXPECT_EQ(window->CurrentParams().TargetSize, 3000);
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 3000);
    EXPECT_EQ(window->Params().Quality, 35);
    EXPECT_NE(ReadAll(PreviewFile()), file);
}

TEST_F(MainWindow, ASaveQueuedBehindAPreviewIsWrittenWhenTheWindowCloses) {
    const QString big = pictures.File("gross.png");
    WriteAll(big, Encode(QuarterPattern(3000, 2000), "png"));
    auto window = Start();
    prompts.ChooseNext(big);
    window->OnOpen();  // a preview run that takes a while
    const QString target = pictures.File("gespeichert.jpg");
    prompts.ChooseNext(target);
    window->OnSaveAs();
    window->close();
    EXPECT_EQ(QImage(target).size(), QSize(368, 245));
    EXPECT_TRUE(prompts.Messages().empty());
}

TEST_F(MainWindow, AFailedSaveTellsTheUserWhy) {
    auto window = Start();
    prompts.ChooseNext(pictures.File("fehlt/bild.jpg"));
    window->OnSaveAs();
    window->WaitForConversions();
    ASSERT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(prompts.Messages()[0].caption, "Plenmar");
    EXPECT_EQ(prompts.Messages()[0].text,
              QStringLiteral("Das Bild konnte nicht als „%1“ gespeichert werden.\n"
                             "Der Ordner existiert nicht.")
                  .arg(pictures.File("fehlt/bild.jpg")));
}

// The real message boxes, offscreen: what a person would see, one box at a time.
class MainWindowWithBoxes : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        previous = InstallPrompts(&boxes);
    }
    void TearDown() override {
        InstallPrompts(previous);
        MainWindow::TearDown();
    }
    static QMessageBox* OpenBox() {
        return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    }

    WidgetPrompts boxes;
    Prompts* previous = nullptr;
};

TEST_F(MainWindowWithBoxes, ClosingAnswersAWorkersQuestionWithCancelAndWaitsForIt) {
    auto window = Start();
    std::atomic<int> answer{-1};
    std::atomic<int> sizesSeen{0};
    window->Worker().Start([&](WindowWorker& worker) {
        while (sizesSeen < 50) {
            sizesSeen += worker.Cancelled() ? 0 : window->CurrentParams().TargetSize > 0;
        }
        answer = static_cast<int>(worker.Ask(
            {"Plenmar", "Möchten Sie diese Datei umwandeln?", MessageButtons::YesNoCancel}));
    });
    for (int size = 100; sizesSeen < 50; size = size % 3000 + 1) {
        window->OnParamChange(size, kSizeChanged);  // the worker reads while the window writes
    }
    // The question opens in a loop of its own; a timer acts inside it as the person would.
    bool sawQuestion = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (OpenBox() != nullptr && window->isVisible()) {
            sawQuestion = OpenBox()->text() == "Möchten Sie diese Datei umwandeln?";
            window->close();  // while the question is open and the worker waits for it
        }
    });
    closer.start(5);
    QTRY_VERIFY(!window->Worker().Running());
    EXPECT_TRUE(sawQuestion);
    EXPECT_EQ(answer, static_cast<int>(Answer::Cancel));
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(MainWindowWithBoxes, NoticesFromWorkersShowOneAtATimeAndOnce) {
    std::thread worker([] {
        for (const char* text : {"eins", "zwei", "eins"}) {
            CurrentPrompts().ShowMessage({"Plenmar", text});
        }
    });
    worker.join();
    QStringList shown;
    int mostOpen = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        int open = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            open += qobject_cast<QMessageBox*>(widget) != nullptr && widget->isVisible();
        }
        mostOpen = std::max(mostOpen, open);
        if (QMessageBox* box = OpenBox()) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(5);
    QTRY_COMPARE(shown, (QStringList{"eins", "zwei"}));
    EXPECT_EQ(mostOpen, 1);
}

TEST_F(MainWindowWithBoxes, ANoticeThatNoNotificationServiceTakesIsAMessageBox) {
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QMessageBox* box = OpenBox()) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(5);
    CurrentPrompts().Notify("Bilder verkleinert", "1 Bild auf 368 Pixel verkleinert");
    EXPECT_EQ(shown, "Bilder verkleinert\n\n1 Bild auf 368 Pixel verkleinert");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}
