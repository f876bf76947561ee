#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "support/QtPrinters.h"
#include "support/TestFiles.h"
#include "workflow/MainSettings.h"
#include "workflow/SettingsStore.h"

namespace {

// Each test gets a configuration folder of its own, as $XDG_CONFIG_HOME would give it.
class Settings : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.Path());
        QDir(config.Path()).mkpath("Weskamor");
    }
    QString File() const { return config.File("Weskamor/Plenmar.conf"); }
    // The file as QSettings reads it back: section/key -> text.
    QMap<QString, QString> Stored() const {
        QSettings file(File(), QSettings::IniFormat);
        QMap<QString, QString> values;
        for (const QString& key : file.allKeys()) {
            values[key] = file.value(key).toString();
        }
        return values;
    }

    TestFolder config;
    ConversionParams params;
    QString picture;
    BatchMailSettings batchMail;
    WindowPlacement window;
};

}  // namespace

TEST_F(Settings, AFirstStartGetsTheDefaults) {
    const SettingsStore store;
    EXPECT_EQ(store.FileName(), File());
    LoadSettings(store, params, picture, batchMail, window, QSize(1920, 1080));
    EXPECT_EQ(params.TargetSize, 368);
    EXPECT_EQ(params.CompanionSize, 480);
    EXPECT_EQ(params.Quality, 70);
    EXPECT_EQ(params.Resolution, 72);
    EXPECT_EQ(picture, "");
    EXPECT_EQ(batchMail.sourceFolder, QDir::currentPath());
    const QString proposed =
        QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + "/Verkleinert";
    EXPECT_EQ(batchMail.destinationFolder, proposed) << "a folder of the user's own, not /tmp";
    EXPECT_EQ(ProposedDestinationFolder(), proposed);
    EXPECT_EQ(batchMail.mailSubject, "Beiliegend Ihre Bilder");
    EXPECT_EQ(batchMail.mailText, "In der Beilage erhalten Sie die gewünschten Bilder");
    EXPECT_EQ(batchMail.askPerFile, 0);
    EXPECT_EQ(batchMail.sendByMail, 0);
    EXPECT_EQ(window.left, 20);
    EXPECT_EQ(window.top, 20);
    EXPECT_EQ(window.right, 1880);
    EXPECT_EQ(window.bottom, 1040);
    EXPECT_FALSE(QFile::exists(File())) << "reading writes nothing";
}

TEST_F(Settings, StoredSizeAndQualityDoNotSurviveAStartButTheRestDoes) {
    WriteAll(File(),
             "[Setting]\nX=1000\nY=200\nQuality=85\nTestfile=/gone/Urlaub 1.jpg\n"
             "Nachfragen=1\nMail%20senden=1\nPosition%20Left=-5\nSubject=\"Hallo, Welt\"\n"
             "Mailtext=a,b\nMaxKb=250\nResolution=144\n");
    const SettingsStore store;
    params.Resolution = 300;
    LoadSettings(store, params, picture, batchMail, window, QSize(800, 600));
    EXPECT_EQ(params.TargetSize, 368);
    EXPECT_EQ(params.Quality, 70);
    EXPECT_EQ(params.Resolution, 72);
    EXPECT_EQ(params.MaxKb, 250) << "the size limit is kept";
    EXPECT_EQ(params.CompanionSize, 200) << "kept until the first size change";
    // Pictures chosen in a file manager take what the window closed with.
    const ConversionParams chosen = StoredConversionParams(store);
    EXPECT_EQ(std::vector<int>({chosen.TargetSize, chosen.Quality, chosen.Resolution, chosen.MaxKb,
                                chosen.Brightness}),
              std::vector<int>({1000, 85, 144, 250, 0}));
    EXPECT_EQ(picture, "/gone/Urlaub 1.jpg");
    EXPECT_EQ(batchMail.askPerFile, 1);
    EXPECT_EQ(batchMail.sendByMail, 1);
    EXPECT_EQ(window.left, -5);
    EXPECT_EQ(batchMail.mailSubject, "Hallo, Welt");
    EXPECT_EQ(batchMail.mailText, "a,b");
}

TEST_F(Settings, ASaveHoldsAllSixteenValuesWithTheirTypes) {
    {
        SettingsStore store;
        LoadSettings(store, params, picture, batchMail, window, QSize(800, 600));
        picture = "/Bilder/Ferien, Meer.gif";
        window = {21, 22, 761, 561};
        SaveSettings(store, params, picture, batchMail, window);
        SavePanelPosition(store, {600, 30, 900, 400});
    }
    const QMap<QString, QString> stored = Stored();
    EXPECT_EQ(stored.size(), 16 + 4);
    EXPECT_EQ(stored["Setting/X"], "368");
    EXPECT_EQ(stored["Setting/MaxKb"], "0");
    EXPECT_EQ(stored["Setting/Resolution"], "72");
    EXPECT_EQ(stored["Setting/Y"], "480");
    EXPECT_EQ(stored["Setting/Quality"], "70");
    EXPECT_EQ(stored["Setting/Testfile"], "/Bilder/Ferien, Meer.gif");
    EXPECT_EQ(stored["Setting/Mail senden"], "0");
    EXPECT_EQ(stored["Setting/Position Right"], "761");
    EXPECT_EQ(stored["SettingSub1/Position Left"], "600");
    EXPECT_EQ(stored["SettingSub1/Position Bottom"], "400");
    for (const char* key : {"Source", "Destination", "Subject", "Mailtext", "Nachfragen",
                            "Position Top", "Position Left", "Position Bottom"}) {
        EXPECT_TRUE(stored.contains(QStringLiteral("Setting/") + key)) << key;
    }

    const SettingsStore again;
    ConversionParams reread;
    QString rereadPicture;
    LoadSettings(again, reread, rereadPicture, batchMail, window, QSize(800, 600));
    EXPECT_EQ(rereadPicture, "/Bilder/Ferien, Meer.gif");
    EXPECT_EQ(window.right, 761);
}

TEST_F(Settings, ThePanelTakesItsStoredCornerButKeepsItsTitleBarOnTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    const WindowPlacement panel{10, 20, 310, 420};  // 300 wide
    const struct {
        const char* stored;
        QRect screen;
        QPoint placed;
    } cases[] = {
        {"Left=640\nPosition%20Top=33\nPosition%20Right=5", screen, {640, 33}},
        {"Left=640\nPosition%20Top=33", QRect(0, 0, 800, 600), {500, 33}},
        {"Left=1260\nPosition%20Top=1010", screen, {980, 992}},
        {"Left=-280\nPosition%20Top=-15", QRect(100, 50, 1280, 1024), {100, 50}},
        {"Left=2147483647\nPosition%20Top=-2147483648", screen, {980, 0}},
        {"Left=0\nPosition%20Top=0", QRect(0, 0, 200, 20), {0, 0}},
    };
    for (const auto& c : cases) {
        WriteAll(File(), QByteArray("[SettingSub1]\nPosition%20") + c.stored + "\n");
        EXPECT_EQ(RestorePanelPosition(SettingsStore(), panel, c.screen), c.placed) << c.stored;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.File("elsewhere"));
    EXPECT_EQ(RestorePanelPosition(SettingsStore(), panel, screen), QPoint(10, 20))
        << "nothing stored: where it is";
}

// Where the window system tells no positions (Wayland), the corners stored by sessions that
// had them stay, with the sizes the windows have now; nothing stored, nothing is written.
TEST_F(Settings, PositionsTheWindowSystemDoesNotTellKeepTheStoredCorners) {
    const struct {
        const char* stored;  // both sections
        const char* left;
        const char* top;
        const char* right;
        const char* bottom;
    } cases[] = {
        {"Position%20Left=700\nPosition%20Top=40\nPosition%20Right=1300\n"
         "Position%20Bottom=500\n",
         "700", "40", "1340", "520"},
        {"Position%20Left=2147483500\nPosition%20Top=-5\nPosition%20Right=0\n"
         "Position%20Bottom=0\n",
         "2147483500", "-5", "2147483647", "475"},
        {"Position%20Left=oben\nPosition%20Top=40\n", "oben", "40", "", ""},
        {"", "", "", "", ""},
    };
    WindowPlacement unknown{0, 0, 640, 480};  // where a Wayland window says it is
    unknown.positionKnown = false;
    for (const auto& c : cases) {
        WriteAll(File(), QByteArray("[Setting]\n") + c.stored + "[SettingSub1]\n" + c.stored);
        {
            SettingsStore store;
            SaveSettings(store, params, picture, batchMail, unknown);
            SavePanelPosition(store, unknown);
        }
        const QMap<QString, QString> stored = Stored();
        for (const char* section : {"Setting/", "SettingSub1/"}) {
            const QString key = QString::fromLatin1(section) + "Position ";
            EXPECT_EQ(stored.value(key + "Left"), c.left) << section << c.stored;
            EXPECT_EQ(stored.value(key + "Top"), c.top) << section << c.stored;
            EXPECT_EQ(stored.value(key + "Right"), c.right) << section << c.stored;
            EXPECT_EQ(stored.value(key + "Bottom"), c.bottom) << section << c.stored;
        }
    }
}

TEST_F(Settings, TheStoredBoxHeightIsBoundedAsTheSizeIs) {
    const struct {
        const char* stored;
        int companion;
    } cases[] = {{"2250", 2250}, {"2147483647", 3000}, {"-40", 1}, {"0", 1}, {"zwei", 480}};
    for (const auto& c : cases) {
        WriteAll(File(), QByteArray("[Setting]\nY=") + c.stored + "\n");
        LoadSettings(SettingsStore(), params, picture, batchMail, window, QSize(800, 600));
        EXPECT_EQ(params.CompanionSize, c.companion) << c.stored;
    }
}

TEST_F(Settings, IntegersThatAreNoThirtyTwoBitNumbersReadAsDefaults) {
    WriteAll(File(), "[S]\na=4294967296\nb=zwölf\nc=1,2\nd= 42 \ne=-2147483648\n");
    const SettingsStore store;
    EXPECT_EQ(store.ReadInt("S", "a", 7), 7);
    EXPECT_EQ(store.ReadInt("S", "b", 7), 7);
    EXPECT_EQ(store.ReadInt("S", "c", 7), 7);
    EXPECT_EQ(store.ReadInt("S", "d", 7), 42);
    EXPECT_EQ(store.ReadInt("S", "e", 7), -2147483647 - 1);
    EXPECT_EQ(store.ReadInt("S", "missing", 7), 7);
}

TEST_F(Settings, AGarbageFileGivesDefaultsAndSurvivesUntilTheProgramWrites) {
    const QByteArray garbage("\x01\x02[[[Setting\nX=1000\n=====\n\xff\xfe", 26);
    WriteAll(File(), garbage);
    {
        const SettingsStore store;
        LoadSettings(store, params, picture, batchMail, window, QSize(800, 600));
        EXPECT_EQ(params.CompanionSize, 480);
        EXPECT_EQ(picture, "");
    }
    EXPECT_EQ(ReadAll(File()), garbage) << "reading leaves the file alone";
    {
        SettingsStore store;
        SaveSettings(store, params, picture, batchMail, window);
    }
    EXPECT_EQ(Stored().size(), 16) << "the program's own values replace it";
    EXPECT_EQ(Stored()["Setting/Y"], "480");
}

TEST_F(Settings, AnUnreadableFileGivesDefaults) {
    QDir(config.Path()).mkpath("Weskamor/Plenmar.conf");  // a folder where the file should be
    SettingsStore store;
    LoadSettings(store, params, picture, batchMail, window, QSize(800, 600));
    EXPECT_EQ(params.CompanionSize, 480);
}

TEST(WindowPlacementTest, StoredRectanglesAreFittedToTheScreen) {
    constexpr int kMin = -2147483647 - 1;
    constexpr int kMax = 2147483647;
    const QRect screen(0, 0, 800, 600);
    const struct {
        WindowPlacement stored, fitted;
    } cases[] = {{{20, 20, 760, 560}, {20, 20, 760, 560}},
                 {{kMin, 20, kMax, 580}, {0, 20, 800, 580}},
                 {{-5, 0, 300, 200}, {0, 0, 305, 200}},
                 {{700, 500, 1000, 800}, {500, 300, 800, 600}},
                 {{kMax - 10, kMin, kMax, kMax}, {790, 0, 800, 600}},
                 {{100, 100, 50, 50}, {20, 20, 760, 560}},
                 {{kMax, kMax, kMin, kMin}, {20, 20, 760, 560}}};
    for (const auto& c : cases) {
        const WindowPlacement fitted = FitToScreen(c.stored, screen);
        EXPECT_EQ(
            QRect(QPoint(fitted.left, fitted.top), QPoint(fitted.right, fitted.bottom)),
            QRect(QPoint(c.fitted.left, c.fitted.top), QPoint(c.fitted.right, c.fitted.bottom)))
            << c.stored.left << " " << c.stored.top << " " << c.stored.right << " "
            << c.stored.bottom;
    }
    const WindowPlacement moved = FitToScreen({kMin, kMin, kMax, kMax}, QRect(1920, 0, 1280, 1024));
    EXPECT_EQ(moved.left, 1920) << "a screen right of the first";
    EXPECT_EQ(moved.right, 3200);
}
