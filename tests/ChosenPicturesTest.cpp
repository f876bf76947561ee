#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include "app/program/ChosenCommand.h"
#include "app/program/WindowForwarding.h"
#include "batch/FolderPane.h"
#include "mail/SimpleMapi.h"
#include "platform/widgets/DialogTemplate.h"
#include "support/Drops.h"
#include "support/MailStandInTest.h"
#include "support/QtPrinters.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "ui/ControlPanelDlg.h"
#include "window/MainDlg.h"

namespace {

// The horizontal density a JPEG's JFIF header gives.
int Density(const QByteArray& jpeg) {
    return jpeg.size() > 15
               ? (static_cast<unsigned char>(jpeg[14]) << 8) | static_cast<unsigned char>(jpeg[15])
               : -1;
}

class Chosen : public MailStandInTest {
protected:
    // What the window would have stored at its end.
    void Store(int size, int quality, int resolution, int maxKb) {
        QSettings stored(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat);
        stored.setValue("Setting/X", size);
        stored.setValue("Setting/Quality", quality);
        stored.setValue("Setting/Resolution", resolution);
        stored.setValue("Setting/MaxKb", maxKb);
        stored.setValue("Setting/Subject", "Fotos");
        stored.setValue("Setting/Mailtext", "Hier sind sie");
    }
    QString Picture(const QString& name, const QByteArray& bytes) {
        const QString path = pictures.File(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        WriteAll(path, bytes);
        return path;
    }
    QStringList Notices() const {
        QStringList texts;
        for (const Message& message : prompts.Messages()) {
            texts << message.text;
        }
        return texts;
    }
};

// A photo-like picture: big enough that a size limit of some Kb binds.
QByteArray Photo(int width, int height, const char* format = "jpeg") {
    return Encode(QuarterPattern(width, height), format, 95);
}

}  // namespace

TEST_F(Chosen, ShrinkLeavesASmallCopyBesideEachPictureAndNamesWhatFailed) {
    Store(300, 80, 96, 3);
    const QByteArray heic = EncodeHeic(QuarterPattern(800, 600));
    const QString photo = Picture("Strand.jpg", Photo(1600, 1200));
    const QString blank = Picture("Mit Leerzeichen/Am Meer.png", Photo(1200, 1600, "png"));
    const QString broken = Picture("kaputt.jpg", "no picture at all");
    Picture("Serie/eins.jpg", Photo(800, 600));
    Picture("Serie/zwei.gif", EncodeGif(QuarterPattern(400, 300)));
    Picture("Serie/tiefer/drei.jpg", Photo(800, 600));
    QStringList chosen{photo, blank, broken, pictures.File("Serie")};
    QStringList expected{"Strand 300x225.jpg", "Mit Leerzeichen/Am Meer 225x300.jpg",
                         "Serie/eins 300x225.jpg", "Serie/zwei 300x225.jpg"};
    if (!heic.isEmpty()) {
        chosen << Picture("Handy.heic", heic);
        expected << "Handy 300x225.jpg";
    }
    CSimpleMapi mail;
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, chosen, mail), 1) << "one failed";
    for (const QString& name : expected) {
        const QByteArray written = ReadAll(pictures.File(name));
        EXPECT_TRUE(written.startsWith("\xFF\xD8")) << name.toStdString();
        EXPECT_LE(written.size(), 3000) << name.toStdString() << " within the stored limit";
        EXPECT_EQ(Density(written), 96) << name.toStdString() << " the stored resolution";
    }
    EXPECT_FALSE(QFileInfo::exists(pictures.File("Serie/tiefer/drei 300x225.jpg")))
        << "a folder's subfolders are not entered";
    EXPECT_FALSE(QFileInfo::exists(pictures.File("kaputt 300x225.jpg")));
    ASSERT_EQ(Notices().size(), 1);
    EXPECT_TRUE(Notices()[0].contains("Nicht umgewandelt: 1 Datei")) << Notices()[0].toStdString();
    EXPECT_TRUE(Notices()[0].contains("kaputt.jpg: ")) << Notices()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(bin.File("args"))) << "no mail";

    // Nothing failing: no message, status 0; an existing result is replaced.
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, {photo}, mail), 0);
    EXPECT_EQ(Notices().size(), 1);
}

TEST_F(Chosen, MailCarriesEveryConvertedPictureInTheOrderGiven) {
    Store(200, 70, 72, 0);
    const QString first = Picture("b/Zweites Bild.jpg", Photo(800, 600));
    const QString second = Picture("a/Erstes.bmp", Encode(QuarterPattern(600, 800), "bmp"));
    const QString same = Picture("c/Zweites Bild.png", Photo(400, 300, "png"));
    const QString broken = Picture("kaputt.gif", "GIF89a cut");
    CSimpleMapi mail;
    EXPECT_EQ(RunChosenAction(ChosenAction::Mail, {first, second, broken, same}, mail), 1);

    const QStringList arguments = MailArguments();
    QStringList attached;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--attach") {
            attached << QFileInfo(arguments[i + 1]).fileName();
        }
    }
    EXPECT_EQ(attached, QStringList({"Zweites Bild 200x150.jpg", "Erstes 150x200.jpg",
                                     "Zweites Bild 200x150.jpg"}))
        << "two pictures of one name both go";
    EXPECT_TRUE(arguments.contains("Fotos") && arguments.contains("Hier sind sie"));
    for (int n = 1; n <= 3; ++n) {
        QImageReader reader(bin.File(QStringLiteral("attached%1").arg(n)));
        EXPECT_EQ(reader.format(), "jpeg") << n;
    }
    EXPECT_EQ(QDir(pictures.File("b")).entryList(QDir::Files), QStringList{"Zweites Bild.jpg"})
        << "nothing is written beside the pictures";
    EXPECT_TRUE(QDir(runtime.File("plenmar/send"))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty())
        << "the private folder goes once the mail is handed over";
    ASSERT_EQ(Notices().size(), 1) << Notices().join("|").toStdString();
    EXPECT_TRUE(Notices()[0].contains("kaputt.gif: ")) << Notices()[0].toStdString();
    EXPECT_TRUE(Notices()[0].contains("Die Mail enthält nur die umgewandelten Bilder."));

    // Nothing converted: no mail at all.
    QFile::remove(bin.File("args"));
    EXPECT_EQ(RunChosenAction(ChosenAction::Mail, {broken}, mail), 1);
    EXPECT_FALSE(QFileInfo::exists(bin.File("args")));
    EXPECT_EQ(ChosenActionOf({"--mail", "x"}), ChosenAction::Mail);
    EXPECT_EQ(ChosenActionOf({"x", "--shrink"}), std::nullopt) << "only as the first argument";
}

TEST_F(Chosen, TheWindowsSizeLimitHoldsForEveryResultAndIsKept) {
    const QString photo = Picture("Foto.jpg", Photo(1600, 1200));
    auto window = std::make_unique<CMainDlg>();
    window->SetControlPanelFactory(
        [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
    window->show();
    auto* panel = dynamic_cast<CControlPanelDlg*>(window->Panel());
    ASSERT_NE(panel, nullptr);
    const auto settle = [&] {
        for (int tick = 0; tick < 3; ++tick) {
            panel->OnTimer();
        }
        window->WaitForConversions();
    };
    prompts.ChooseNext(photo);
    window->OnOpen();
    qobject_cast<QLineEdit*>(ControlById(*panel, 1018))->setText("1200");
    settle();
    auto* field = qobject_cast<QLineEdit*>(ControlById(*panel, 1065));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->accessibleName(), "Höchstens Kb");
    EXPECT_FALSE(field->toolTip().isEmpty());
    const auto infoText = [&] {
        return qobject_cast<QPlainTextEdit*>(ControlById(*panel, 1038))->toPlainText();
    };
    EXPECT_FALSE(infoText().contains("Qualität")) << "no limit, no line about it";

    field->setText("20");
    settle();
    EXPECT_LE(ReadAll(window->Converter().PreviewPath()).size(), 20000) << "the preview";
    EXPECT_TRUE(
        infoText().contains(QRegularExpression("\nQualität [1-6]?[0-9] für höchstens 20 Kb$")))
        << infoText().toStdString();

    prompts.ChooseNext(pictures.File("Gespeichert.jpg"));
    window->OnSaveAs();
    window->WaitForConversions();
    EXPECT_LE(ReadAll(pictures.File("Gespeichert.jpg")).size(), 20000) << "Speichern unter";

    window->OnSendByMail();
    window->WaitForConversions();
    window->Worker().Wait();
    const QByteArray sent = ReadAll(bin.File("attached1"));
    EXPECT_TRUE(!sent.isEmpty() && sent.size() <= 20000) << "Senden: " << sent.size();

    const QString results = pictures.File("Ergebnisse");
    QDir().mkpath(results);
    prompts.AnswerDialogNext([&](QDialog& dialog) {
        qobject_cast<CFolderPane*>(ControlById(dialog, 1060))->SetFolder(pictures.Path());
        qobject_cast<CFolderPane*>(ControlById(dialog, 1061))->SetFolder(results);
        return int(QDialog::Accepted);
    });
    window->OnConvertFolder();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->FolderRunning(); }, 60000));
    window->WaitForConversions();
    const QByteArray converted = ReadAll(results + "/Foto 1200x900.jpg");
    EXPECT_TRUE(!converted.isEmpty() && converted.size() <= 20000)
        << "the folder run: " << converted.size();

    // The quality setting stays the upper bound: a lower one is taken as it is.
    qobject_cast<QLineEdit*>(ControlById(*panel, 1026))->setText("5");
    settle();
    EXPECT_TRUE(infoText().endsWith("Qualität 5 für höchstens 20 Kb")) << infoText().toStdString();

    field->setText("1");
    settle();
    EXPECT_TRUE(infoText().endsWith("Über 1 Kb auch mit Qualität 0")) << infoText().toStdString();

    field->setText("40");
    settle();
    window->close();
    QSettings stored(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Setting/MaxKb").toInt(), 40);

    // The next start keeps the limit; size and quality start afresh.
    window = std::make_unique<CMainDlg>();
    window->SetControlPanelFactory(
        [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
    window->show();
    window->WaitForConversions();
    EXPECT_EQ(window->Params().MaxKb, 40);
    EXPECT_EQ(window->Params().Quality, 70);
    EXPECT_EQ(qobject_cast<QLineEdit*>(ControlById(window->Panel()->Widget(), 1065))->text(), "40");
    window->close();
}

TEST_F(Chosen, DroppedPicturesOpenAFolderRunsOrAreShrunk) {
    const QString photo = Picture("Eins.jpg", Photo(800, 600));
    const QString other = Picture("Zwei Drei.gif", EncodeGif(QuarterPattern(300, 400)));
    const QString broken = Picture("kaputt.bmp", "BM");
    Picture("Ordner/vier.jpg", Photo(400, 300));
    auto window = std::make_unique<CMainDlg>();
    window->SetControlPanelFactory(
        [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
    window->show();
    window->WaitForConversions();
    QWidget& panel = window->Panel()->Widget();

    Drop(*window, {photo});
    window->WaitForConversions();
    EXPECT_EQ(window->PicturePath(), photo);
    EXPECT_TRUE(window->windowTitle().startsWith("Eins.jpg (")) << "converted and shown";
    // One unreadable picture is told as "Öffnen" tells it, and the open one stays.
    Drop(*window, {broken});
    window->WaitForConversions();
    EXPECT_EQ(window->PicturePath(), photo);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return window->windowTitle().startsWith("Eins.jpg ("); }, 30000))
        << window->windowTitle().toStdString();
    ASSERT_EQ(Notices().size(), 1);
    EXPECT_TRUE(Notices()[0].contains("kaputt.bmp")) << Notices()[0].toStdString();
    Drop(panel, {other});
    EXPECT_EQ(window->PicturePath(), other) << "the panel takes drops for the window";

    QString source;
    prompts.AnswerDialogNext([&](QDialog& dialog) {
        source = qobject_cast<QLineEdit*>(ControlById(dialog, 1021))->text();
        return int(QDialog::Rejected);
    });
    Drop(panel, {pictures.File("Ordner")});
    EXPECT_EQ(prompts.DialogCaptions(), QStringList{"Verzeichnis umwandeln"});
    EXPECT_EQ(window->BatchMail().sourceFolder, pictures.File("Ordner"));
    EXPECT_EQ(source, pictures.File("Ordner")) << "the dialog opens on it";

    window->Params().TargetSize = 100;
    window->PublishParams();
    Drop(*window, {photo, other, broken});
    // The drop is taken at once; the pictures are shrunk on the window's executor.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->Executor().Busy() == ConversionExecutor::Work::None; }, 30000));
    EXPECT_EQ(QDir(pictures.Path()).entryList({"*.jpg"}, QDir::Files),
              QStringList({"Eins 100x75.jpg", "Eins.jpg", "Zwei Drei 75x100.jpg"}))
        << "beside each, with the window's settings";
    EXPECT_EQ(window->PicturePath(), other) << "the open picture stays";
    ASSERT_EQ(Notices().size(), 2);
    EXPECT_TRUE(Notices()[1].contains("kaputt.bmp: ")) << Notices()[1].toStdString();
    window->close();
}

TEST_F(Chosen, ShrinkingNamesItsValuesAndNeitherEnlargesNorShrinksAShrunkCopy) {
    Store(300, 80, 72, 0);
    const QString large = Picture("Gross.jpg", Photo(1600, 1200));
    const QString small = Picture("Klein.png", Photo(200, 150, "png"));
    Picture("Serie/eins.jpg", Photo(800, 600));
    WriteAll(pictures.File("Gross 300x225.jpg"), "a file of the user's own");
    CSimpleMapi mail;
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, {large, small, pictures.File("Serie")}, mail),
              0);
    EXPECT_EQ(QImageReader(pictures.File("Gross 300x225.jpg")).size(), QSize(300, 225));
    EXPECT_EQ(QImageReader(pictures.File("Klein 200x150.jpg")).size(), QSize(200, 150))
        << "kept at its own size, not enlarged";
    EXPECT_TRUE(QFileInfo::exists(pictures.File("Serie/eins 300x225.jpg")));
    EXPECT_TRUE(Notices().isEmpty()) << Notices().join('|').toStdString();
    ASSERT_EQ(prompts.Notifications().size(), 1);
    EXPECT_EQ(prompts.Notifications()[0],
              "Bilder verkleinert\n"
              "3 Bilder auf 300 Pixel verkleinert, Qualität 80, neben den Originalen gespeichert.\n"
              "1 Bild ist kleiner und behält seine Größe.\n"
              "Ersetzt: Gross 300x225.jpg");

    // Again over the folders: the results beside their pictures are left alone and named.
    EXPECT_EQ(
        RunChosenAction(ChosenAction::Shrink, {pictures.Path(), pictures.File("Serie")}, mail), 0);
    EXPECT_EQ(QDir(pictures.Path()).entryList({"*.jpg"}, QDir::Files),
              QStringList({"Gross 300x225.jpg", "Gross.jpg", "Klein 200x150.jpg"}));
    ASSERT_EQ(prompts.Notifications().size(), 2);
    EXPECT_TRUE(prompts.Notifications()[1].endsWith(
        "Übersprungen, weil bereits verkleinert: Gross 300x225.jpg, Klein 200x150.jpg, "
        "eins 300x225.jpg"))
        << prompts.Notifications()[1].toStdString();

    // A mail of the folder carries its pictures, not their copies.
    EXPECT_EQ(RunChosenAction(ChosenAction::Mail, {pictures.File("Serie")}, mail), 0);
    QStringList attached;
    const QStringList arguments = MailArguments();
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == "--attach") {
            attached << QFileInfo(arguments[i + 1]).fileName();
        }
    }
    EXPECT_EQ(attached, QStringList{"eins 300x225.jpg"});
    EXPECT_TRUE(prompts.Notifications().last().startsWith(
        "Bilder für die Mail verkleinert\n1 Bild auf 300 Pixel verkleinert, Qualität 80, und "
        "dem Mailprogramm übergeben."))
        << prompts.Notifications().last().toStdString();
}

TEST_F(Chosen, ASizeBelowSixteenIsRefusedWithItsName) {
    const QString photo = Picture("Foto.jpg", Photo(800, 600));
    CSimpleMapi mail;
    Store(5, 70, 72, 0);
    EXPECT_EQ(RunChosenAction(ChosenAction::Shrink, {photo}, mail), 1);
    ShownValues shown;
    shown.params.TargetSize = 12;
    EXPECT_EQ(RunChosenAction(ChosenAction::Mail, {photo}, mail, shown), 1);
    EXPECT_EQ(QDir(pictures.Path()).entryList(QDir::Files), QStringList{"Foto.jpg"});
    EXPECT_FALSE(QFileInfo::exists(bin.File("args"))) << "no mail";
    ASSERT_EQ(Notices().size(), 2);
    EXPECT_TRUE(Notices()[0].contains("die gespeicherte Größe von 5 Pixeln"))
        << Notices()[0].toStdString();
    EXPECT_TRUE(Notices()[1].contains("die eingestellte Größe von 12 Pixeln"))
        << Notices()[1].toStdString();
}
