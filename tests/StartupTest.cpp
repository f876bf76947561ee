#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "window/MainDlg.h"
#include "workflow/ControlPanel.h"

namespace {

// A panel that only counts its convert button, so that the command line's way to
// "Verzeichnis umwandeln" can be followed.
class CountingPanel final : public ControlPanel {
public:
    explicit CountingPanel(int& converts) : m_converts(converts) {}
    void SetLinks(int*, CMainDlg*, int*) override {}
    void InitControls() override {}
    QWidget& Widget() override { return m_widget; }
    void SetInfoText(const QString&) override {}
    void OnConvertFolder() override { ++m_converts; }

private:
    int& m_converts;
    QWidget m_widget;
};

}  // namespace

TEST(CommandLine, OpensAFolderOnlyAfterAWholeSwitchAndOtherwiseAPicture) {
    TestFolder config;
    TestFolder temp;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.Path());
    qputenv("TEMP", QFile::encodeName(temp.Path()));
    RecordingPrompts prompts;
    const struct {
        QStringList arguments;
        const char* source;   // the folder to convert, or "" for none
        const char* picture;  // the picture opened, or "" for none
    } cases[] = {
        {{"/V", "", "", "/home/u/Meine", "Bilder", ""}, "/home/u/Meine Bilder", ""},
        {{"/v", "/x"}, "/x", ""},
        {{"a", "/v", "/b", "/V", "/c"}, "/c", ""},
        {{"/V"}, "", ""},
        {{"/V", "  "}, "", ""},
        {{}, "", ""},
        {{"/var/x.jpg"}, "", "/var/x.jpg"},
        {{"/home/u/Videos/x.jpg"}, "", "/home/u/Videos/x.jpg"},
        {{"/home/u/Mein", "Bild.jpg"}, "", "/home/u/Mein Bild.jpg"},
    };
    for (const auto& c : cases) {
        int converts = 0;
        CMainDlg window;
        window.SetControlPanelFactory(
            [&](CMainDlg&) -> ControlPanel* { return new CountingPanel(converts); });
        window.show();
        window.WaitForConversions();
        const QString before = window.BatchMail().sourceFolder;
        window.SetCommandLine(c.arguments);
        window.ProcessCommandLine();
        const std::string label = c.arguments.join('|').toStdString();
        EXPECT_EQ(converts, *c.source != '\0') << label;
        EXPECT_EQ(window.BatchMail().sourceFolder, *c.source ? QString(c.source) : before) << label;
        EXPECT_EQ(window.PicturePath(), c.picture) << label;
        if (*c.picture != '\0') {
            EXPECT_EQ(window.windowTitle(), c.picture)
                << "the argument as given, until the conversion names its size";
        }
        window.WaitForConversions();
        window.close();
    }
}
