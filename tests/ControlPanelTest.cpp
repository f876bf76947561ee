#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "platform/emulation/StringTable.h"
#include "platform/processes/OpenUrl.h"
#include "platform/processes/SpawnAndWait.h"
#include "platform/widgets/DialogTemplate.h"
#include "support/BufferImages.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "ui/ControlPanelDlg.h"
#include "ui/HelpPages.h"
#include "ui/SpinEdit.h"
#include "window/MainDlg.h"

namespace {

class Panel : public WindowTest {
protected:
    // The program's start: the main window, its panel, the first runs, the countdown they arm.
    void Start() {
        window = std::make_unique<CMainDlg>();
        window->SetControlPanelFactory(
            [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
        window->show();
        panel = dynamic_cast<CControlPanelDlg*>(window->Panel());
        ASSERT_NE(panel, nullptr);
        Settle();
    }
    // Lets the countdown run out and the runs finish.
    void Settle() {
        for (int tick = 0; tick < 3; ++tick) {
            panel->OnTimer();
        }
        window->WaitForConversions();
    }
    template <typename Widget = QWidget>
    Widget* Control(int id) const {
        return qobject_cast<Widget*>(ControlById(*panel, id));
    }
    QLineEdit* Field(int id) const { return Control<QLineEdit>(id); }
    // The panel's x coordinate of a control's right edge.
    int RightEdge(int id) const {
        const QWidget* control = Control(id);
        return control->mapTo(panel, QPoint(control->width(), 0)).x();
    }
    int StartWidth() const { return RightEdge(1052) + Control(1057)->mapTo(panel, QPoint()).x(); }
    std::vector<int> CheckedQualityButtons() const {
        std::vector<int> checked;
        for (int id = 1029; id <= 1037; ++id) {
            if (Control<QRadioButton>(id)->isChecked()) {
                checked.push_back(id);
            }
        }
        return checked;
    }
    QString Stored(const QString& key) const {
        return QSettings(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat)
            .value(key)
            .toString();
    }

    RecordingPrompts prompts;
    std::unique_ptr<CMainDlg> window;
    CControlPanelDlg* panel = nullptr;
};

}  // namespace

TEST_F(Panel, StartsFilledFromTheParametersBesideTheWindow) {
    Start();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->windowTitle(), "Schnellstart");
    // A tool window belonging to the main window, with nothing to maximise; the main window
    // an ordinary one, for task bars to show.
    EXPECT_EQ(panel->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_FALSE(panel->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(panel->parentWidget(), window.get());
    EXPECT_EQ(window->windowFlags() & Qt::WindowType_Mask, Qt::Window);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(Field(1018)->text(), "368");
    EXPECT_EQ(Control<QSlider>(1017)->value(), 368);
    EXPECT_EQ(Field(1026)->text(), "70");
    EXPECT_EQ(CheckedQualityButtons(), std::vector<int>{1035});
    EXPECT_EQ(Field(1047)->text(), "0");
    EXPECT_EQ(Control<QComboBox>(1056)->currentText(), "72 dpi");
    EXPECT_EQ(Control(1056)->height(), Control(1056)->sizeHint().height())
        << "closed, a list is not as high as its template's open list";
    EXPECT_FALSE(Control(1063)->isVisible());
    EXPECT_FALSE(Control(1064)->isVisible());
    EXPECT_TRUE(panel->Timer().isActive());
    EXPECT_EQ(panel->Timer().interval(), 250);
    // Every full run writes the information box, one line for each fact.
    const QStringList lines = Control<QPlainTextEdit>(1038)->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "") << "the sample picture has no source size";
    EXPECT_TRUE(lines[1].startsWith("Angepasste Dateigrösse: "));
    EXPECT_EQ(lines[2], "Bildformat: 13.0 x 9.7 cm");
}

TEST_F(Panel, QualityFromTheFieldAndTheButtons) {
    Start();
    const struct {
        const char* typed;
        int quality;
        const char* shown;
        std::vector<int> checked;
    } cases[] = {{"150", 100, "100", {}},
                 {"5", 5, "5", {}},
                 {"55", 55, "55", {1033}},
                 {"-3", -3, "-3", {}},
                 {"viel", 0, "viel", {}}};
    for (const auto& c : cases) {
        Field(1026)->setText(c.typed);
        EXPECT_EQ(window->Params().Quality, c.quality) << c.typed;
        EXPECT_EQ(window->CurrentParams().Quality, c.quality) << c.typed << ": reported";
        EXPECT_EQ(Field(1026)->text(), c.shown) << c.typed;
        EXPECT_EQ(CheckedQualityButtons(), c.checked) << c.typed;
    }
    QTest::mouseClick(Control(1031), Qt::LeftButton);
    EXPECT_EQ(window->Params().Quality, 30);
    EXPECT_EQ(CheckedQualityButtons(), std::vector<int>{1031});
    EXPECT_EQ(Field(1026)->text(), "30");
    window->WaitForConversions();
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 368) << "a full run followed";
}

TEST_F(Panel, SizeFromTheFieldAndTheSlider) {
    Start();
    QSlider* slider = Control<QSlider>(1017);
    const struct {
        const char* typed;
        int slider;
        int targetSize;
    } cases[] = {{"4000", 2000, 3000}, {"2", 20, 5}, {"500", 500, 500}, {"gross", 20, 5}};
    for (const auto& c : cases) {
        Settle();
        Field(1018)->setText(c.typed);
        EXPECT_EQ(slider->value(), c.slider) << c.typed;
        EXPECT_EQ(window->Params().TargetSize, c.targetSize) << c.typed;
        EXPECT_EQ(panel->Countdown(), 3) << c.typed;
    }
    Field(1018)->setText("500");
    slider->triggerAction(QSlider::SliderSingleStepAdd);
    EXPECT_EQ(Field(1018)->text(), "501");
    EXPECT_EQ(window->Params().TargetSize, 501);
    EXPECT_NE(window->CurrentParams().TargetSize, 501) << "not before it settles";
    Settle();
    EXPECT_EQ(window->CurrentParams().TargetSize, 501);
    slider->setValue(900);  // the program's own setting is no scroll
    EXPECT_EQ(Field(1018)->text(), "501");
    EXPECT_TRUE(slider->invertedAppearance()) << "the smallest size at the top";
}

// Five changes of the red field within half a second, with the timer ticking at every phase
// it may have against them: one full run, 500 to 750 ms after the last change.
TEST_F(Panel, ABurstOfColourChangesGivesOneFullRunAfterAPause) {
    Start();
    QSignalSpy fullRuns(Control<QPlainTextEdit>(1038), &QPlainTextEdit::textChanged);
    // Ticks at 149 ms (+ 250 k) fire 749 ms after the last change, at 150 ms 500 ms after.
    for (const int phase : {149, 150, 1, 250}) {
        Settle();
        fullRuns.clear();
        const QByteArray before = ReadAll(temp.File("Temppic.jpg"));
        int ranAt = -1;
        for (int ms = 0, change = 0; ms <= 1500; ++ms) {
            if (ms % 100 == 0 && change < 5) {
                Field(1047)->setText(QString::number(phase % 7 + 10 * ++change));
            }
            if (ms % 250 == phase % 250) {
                panel->OnTimer();
                window->WaitForConversions();
                if (ranAt < 0 && !fullRuns.isEmpty()) {
                    ranAt = ms;
                }
            }
        }
        EXPECT_EQ(fullRuns.size(), 1) << "phase " << phase;
        EXPECT_GE(ranAt - 400, 500) << "phase " << phase;
        EXPECT_LE(ranAt - 400, 750) << "phase " << phase;
        EXPECT_NE(ReadAll(temp.File("Temppic.jpg")), before) << "the file has the new red";
        EXPECT_EQ(window->Params().RedShift, phase % 7 + 50);
    }
}

TEST_F(Panel, ResetClearsTheColoursOnly) {
    Start();
    Field(1045)->setText("-30");
    Field(1047)->setText("20");
    QTest::mouseClick(Control(1050), Qt::LeftButton);
    EXPECT_EQ(window->Params().BlackAndWhite, 1);
    Field(1018)->setText("500");
    Field(1026)->setText("40");
    QComboBox* resolution = Control<QComboBox>(1056);
    resolution->setCurrentIndex(2);
    emit resolution->activated(2);
    EXPECT_EQ(window->Params().Resolution, 96);
    EXPECT_EQ(window->CurrentParams().Resolution, 96) << "a folder run sees it at once";
    Settle();

    QTest::mouseClick(Control(1051), Qt::LeftButton);
    for (const int id : {1045, 1046, 1047, 1048, 1049}) {
        EXPECT_EQ(Field(id)->text(), "0") << id;
    }
    EXPECT_FALSE(Control<QCheckBox>(1050)->isChecked());
    const ConversionParams& params = window->Params();
    EXPECT_EQ(params.Brightness, 0);
    EXPECT_EQ(params.RedShift, 0);
    EXPECT_EQ(params.BlackAndWhite, 0);
    EXPECT_EQ(params.TargetSize, 500);
    EXPECT_EQ(params.Quality, 40);
    EXPECT_EQ(params.Resolution, 96);
    EXPECT_EQ(panel->Countdown(), 3);
}

TEST_F(Panel, ResolutionListSelectsTheStoredResolutionOnly) {
    const struct {
        int resolution;
        int item;
    } cases[] = {{0, 0}, {72, 1}, {144, 3}, {100, -1}};
    for (const auto& c : cases) {
        CMainDlg owner;
        owner.Params().Resolution = c.resolution;
        auto* standalone = new CControlPanelDlg(&owner);
        standalone->SetLinks(&owner.Params().Quality, &owner, &owner.Params().TargetSize);
        standalone->InitControls();
        EXPECT_EQ(qobject_cast<QComboBox*>(ControlById(*standalone, 1056))->currentIndex(), c.item)
            << c.resolution;
        EXPECT_EQ(owner.Params().Resolution, c.resolution) << "selecting is no change";
    }
}

TEST_F(Panel, WithoutItsWindowThePanelChangesNothing) {
    CControlPanelDlg unlinked;
    unlinked.InitControls();
    auto* red = qobject_cast<QLineEdit*>(ControlById(unlinked, 1047));
    EXPECT_EQ(red->text(), "0");
    red->setText("40");
    qobject_cast<QLineEdit*>(ControlById(unlinked, 1018))->setText("500");
    unlinked.OnReset();
    unlinked.OnTimer();
    EXPECT_EQ(unlinked.Countdown(), 0);
    EXPECT_EQ(red->text(), "40");
}

TEST_F(Panel, TheToggleWidensToTheColoursAndBack) {
    Start();
    EXPECT_EQ(panel->width(), StartWidth());
    EXPECT_LE(RightEdge(1054), panel->width()) << "the toggle can be reached";
    EXPECT_LE(RightEdge(1026), panel->width()) << "so can the quality field";
    EXPECT_GT(RightEdge(1047), panel->width()) << "the colours are cut off";
    EXPECT_FALSE(Control(1047)->isVisible()) << "and out of reach of Tab";
    // Below the lowest control showing, the same margin folded or not: no empty strip.
    const auto marginBelow = [this] {
        int lowest = 0;
        for (const QWidget* control : panel->findChildren<QWidget*>()) {
            if (control->isVisible() && control->parentWidget() != panel) {
                lowest = std::max(lowest, control->mapTo(panel, QPoint(0, control->height())).y());
            }
        }
        return panel->height() - lowest;
    };
    const int foldedMargin = marginBelow();
    EXPECT_GE(foldedMargin, 0);
    EXPECT_LT(foldedMargin, 20);
    const int foldedHeight = panel->height();
    const struct {
        bool hidden;
        int reference;
        int tip;
        bool taller;
    } states[] = {{false, 1055, 1053, true}, {true, 1052, 1052, false}};
    for (const auto& state : states) {
        QTest::mouseClick(Control(1054), Qt::LeftButton);
        EXPECT_EQ(panel->ExtensionsHidden(), state.hidden);
        EXPECT_EQ(panel->width(), RightEdge(state.reference) + Control(1057)->x());
        EXPECT_EQ(marginBelow(), foldedMargin);
        EXPECT_EQ(panel->height() > foldedHeight, state.taller);
        EXPECT_EQ(Control(1054)->toolTip(), LoadString(state.tip));
        EXPECT_EQ(Control<CSpinEdit>(1049)->SpinButton()->isVisible(), !state.hidden);
        EXPECT_FALSE(Control(1064)->isVisible());
    }
    EXPECT_EQ(panel->width(), StartWidth());
}

TEST_F(Panel, TheColourFieldsStandInOneColumn) {
    Start();
    panel->OnToggleExtensions();
    for (int id : {1045, 1046, 1047, 1048, 1049}) {
        EXPECT_EQ(Control(id)->x(), Control(1045)->x()) << id;
        EXPECT_EQ(Control(id)->width(), Control(1045)->width()) << id;
    }
}

TEST_F(Panel, SpinButtonsCountByOneWithinTheirRange) {
    Start();
    auto* red = Control<CSpinEdit>(1047);
    ASSERT_NE(red->SpinButton(), nullptr);
    EXPECT_EQ(red->SpinButton()->objectName(), "id2000");
    EXPECT_EQ(red->SpinButton()->geometry(),
              QRect(red->geometry().right() + 1, red->y(), 20, red->height()));
    EXPECT_EQ(red->width() + 20, DialogUnits(panel->font()).ToPixels(QRect(0, 0, 40, 14)).width());
    for (int click = 0; click < 3; ++click) {
        red->UpArrow()->click();
    }
    EXPECT_EQ(red->text(), "3");
    EXPECT_EQ(window->Params().RedShift, 3);
    EXPECT_EQ(panel->Countdown(), 3);
    red->setText("100");
    red->UpArrow()->click();
    EXPECT_EQ(red->text(), "100") << "stops at the range's end";
    red->setText("-250");
    QTest::keyClick(red, Qt::Key_Down);
    EXPECT_EQ(red->text(), "-100") << "typed values pass; an arrow brings them into the range";
    EXPECT_EQ(WholeNumber(" 12 "), 12);
    EXPECT_EQ(WholeNumber("30%"), 0);
}

TEST_F(Panel, EveryControlDescribesItselfToScreenReaders) {
    Start();
    const struct {
        int id;
        const char* tip;
        const char* name;
    } controls[] = {{1006, "Öffnet ein Testbild", "Öffnen"},
                    {1017, "Mit diesem Regler wird die Grösse des Bildes eingestellt", "Grösse"},
                    {1026, "Qualität in feineren Schritten einstellen", "Qualität"},
                    {1031, "Qualität auf 30% einstellen", ""},
                    {1038, "Grösse mit den jetzigen Einstellungen", "Bildinformation"},
                    {1048, "Stellen Sie den Grünanteil des Bildes ein", "Grün"},
                    {1051, "Setzt die Erweiterungen zurück", "Zurücksetzen"},
                    {1054, "Schaltet zusätzliche Erweiterungen ein", "Erweiterungen"},
                    {1056, "Stellen Sie hier die Auflösung ein", "Auflösung"},
                    {1059,
                     "Hilfe: Bilder mit plenmar-convert aus Skripten und der "
                     "Kommandozeile umwandeln",
                     "Hilfe zu plenmar-convert"},
                    {1053, "", ""},
                    {1063, "", "Drehung"}};
    for (const auto& c : controls) {
        EXPECT_EQ(Control(c.id)->toolTip(), QString::fromUtf8(c.tip)) << c.id;
        EXPECT_EQ(Control(c.id)->accessibleName(), QString::fromUtf8(c.name)) << c.id;
    }
    EXPECT_FALSE(LoadString(1058).isEmpty());
    // Tab goes from the size field to the quality buttons and the quality field.
    Control(1018)->setFocus();
    QApplication::setActiveWindow(panel);
    QWidget* next = Control(1018)->nextInFocusChain();
    EXPECT_EQ(next->objectName(), "id1029");
}

TEST_F(Panel, MenuWorksFromTheKeyboardAndReachesTheMainWindow) {
    Start();
    QApplication::setActiveWindow(panel);
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    const struct {
        Qt::Key key;
        const char* title;
    } menus[] = {{Qt::Key_D, "&Datei"}, {Qt::Key_O, "&Optionen"}};
    for (const auto& menu : menus) {
        QTest::keyClick(panel, menu.key, Qt::AltModifier);
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(open, nullptr) << menu.title;
        EXPECT_EQ(open->title(), menu.title);
        open->close();
    }
    const auto action = [&](const char* text) -> QAction* {
        for (QMenu* menu : panel->Menu()->findChildren<QMenu*>()) {
            for (QAction* entry : menu->actions()) {
                if (entry->text() == QString::fromUtf8(text)) {
                    return entry;
                }
            }
        }
        return nullptr;
    };
    action("Ö&ffnen")->trigger();
    action("&Speichern unter")->trigger();
    ASSERT_EQ(prompts.FileRequests().size(), 2u);
    EXPECT_EQ(prompts.FileRequests()[0].kind, FileDialogRequest::Kind::Open);
    EXPECT_EQ(prompts.FileRequests()[1].kind, FileDialogRequest::Kind::Save);
    for (const char* entry : {"&Versenden per Mail", "&Ganzes Verzeichnis umwandeln",
                              "&Maileinstellung", "Inf&o über Plenmar..."}) {
        EXPECT_NE(action(entry), nullptr) << entry;
    }

    panel->move(121, 234);
    action("&Beenden")->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(Stored("SettingSub1/Position Left"), "121");
    EXPECT_EQ(Stored("SettingSub1/Position Top"), "234");
    EXPECT_EQ(Stored("Setting/X"), "368");

    // The next start puts the panel where it was.
    Start();
    EXPECT_EQ(panel->pos(), QPoint(121, 234));
}

TEST_F(Panel, OpenAndSaveKeysWorkFromEitherWindow) {
    Start();
    const struct {
        QWidget* active;
        QKeySequence::StandardKey key;
        FileDialogRequest::Kind kind;
    } cases[] = {{panel, QKeySequence::Open, FileDialogRequest::Kind::Open},
                 {panel, QKeySequence::Save, FileDialogRequest::Kind::Save},
                 {window.get(), QKeySequence::Open, FileDialogRequest::Kind::Open},
                 {window.get(), QKeySequence::Save, FileDialogRequest::Kind::Save}};
    for (const auto& c : cases) {
        QApplication::setActiveWindow(c.active);
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.active));
        const std::size_t before = prompts.FileRequests().size();
        QTest::keySequence(c.active, c.key);
        ASSERT_EQ(prompts.FileRequests().size(), before + 1)
            << c.active->windowTitle().toStdString();
        EXPECT_EQ(prompts.FileRequests().back().kind, c.kind);
    }
}

TEST_F(Panel, NumberFieldsTakeDigitsOnly) {
    Start();
    const struct {
        int id;
        const char* typed;
        const char* shown;
    } cases[] = {
        {1026, "a5b", "5"}, {1018, "-4x00", "400"}, {1047, "-5", "-5"}, {1047, "1ab2", "12"}};
    for (const auto& c : cases) {
        Field(c.id)->clear();
        QTest::keyClicks(Field(c.id), c.typed);
        EXPECT_EQ(Field(c.id)->text(), c.shown) << c.id << " " << c.typed;
    }
}

TEST_F(Panel, EscapeEndsTheProgramAndEnterDoesNothing) {
    Start();
    QTest::keyClick(panel, Qt::Key_Return);
    EXPECT_TRUE(panel->isVisible());
    QTest::keyClick(panel, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Stored("SettingSub1/Position Right").isEmpty());
}

TEST_F(Panel, PictureButtonsOpenOurHelpPages) {
    Start();
    QList<QUrl> opened;
    const UrlOpener previous = InstallUrlOpener([&](const QUrl& url) {
        opened << url;
        return true;
    });
    for (const int id : {1057, 1058, 1059}) {
        QTest::mouseClick(Control(id), Qt::LeftButton);
    }
    OpenHelpPage("fehlt.html");
    InstallUrlOpener(previous);
    ASSERT_EQ(opened.size(), 3);
    const char* pages[] = {"vistrane.html", "ordner.html", "konvertieren.html"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(opened[i].isLocalFile());
        EXPECT_TRUE(opened[i].toLocalFile().endsWith(pages[i]));
        EXPECT_TRUE(QFile::exists(opened[i].toLocalFile())) << opened[i].toString().toStdString();
    }
    ASSERT_EQ(prompts.Messages().size(), 1u) << "a missing page is told, not opened";
    EXPECT_TRUE(prompts.Messages()[0].text.contains("fehlt.html"));
}

TEST_F(Panel, AHelpPageWithoutABrowserIsToldWithItsPath) {
    // xdg-open as it ends where no browser is set up: at once, or after a while.
    TestFolder bin;
    const struct {
        const char* script;
    } cases[] = {{"#!/bin/sh\nexit 3\n"}, {"#!/bin/sh\nsleep 0.3\nexit 4\n"}};
    const QByteArray path = qgetenv("PATH");
    for (const auto& c : cases) {
        RecordingPrompts told;
        WriteAll(bin.File("xdg-open"), c.script);
        QFile::setPermissions(bin.File("xdg-open"), QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin.Path()) + ":" + path);
        OpenHelpPage("vistrane.html");
        qputenv("PATH", path);
        ASSERT_TRUE(WaitForHandedOffPrograms(std::chrono::seconds(10)));
        ASSERT_EQ(told.Messages().size(), 1u) << c.script;
        EXPECT_TRUE(told.Messages()[0].text.contains("kein Browser"));
        EXPECT_TRUE(told.Messages()[0].text.contains(HelpPagePath("vistrane.html")));
    }
}

TEST_F(Panel, HiddenRotationAndMirrorGiveTheOrientation) {
    Start();
    auto* rotation = Control<QComboBox>(1063);
    EXPECT_EQ(rotation->currentIndex(), -1);
    Control<QCheckBox>(1064)->click();
    EXPECT_EQ(window->Params().Orientation, 4) << "no rotation selected counts as 0";
    rotation->setCurrentIndex(1);
    emit rotation->activated(1);
    EXPECT_EQ(window->Params().Orientation, 5);
    window->WaitForConversions();
    EXPECT_EQ(window->Converter().Preview()->pictureWidth, 276) << "a full run, turned";
}
