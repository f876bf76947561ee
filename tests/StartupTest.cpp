#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "app/FolderAction.h"
#include "platform/RegistryWriter.h"
#include "support/RecordingPrompts.h"
#include "support/TestFiles.h"
#include "workflow/ControlPanel.h"
#include "workflow/MainDlg.h"

namespace {

QString Read(const QString& path) {
    return QString::fromUtf8(ReadAll(path));
}

}  // namespace

TEST(FolderAction, ExecArgumentsAreQuotedAndEscapedAsDesktopEntriesWant) {
    const struct {
        const char* argument;
        const char* written;
    } cases[] = {
        {"/usr/bin/plenmar", "/usr/bin/plenmar"},
        {"/opt/Mein Programm/plenmar", "\"/opt/Mein Programm/plenmar\""},
        {"/opt/100%/plenmar", "/opt/100%%/plenmar"},
        {"/opt/a\"b$c/plenmar", "\"/opt/a\\\\\"b\\\\$c/plenmar\""},
        {"/opt/a\\b/plenmar", "\"/opt/a\\\\\\\\b/plenmar\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopExecArgument(c.argument), c.written) << c.argument;
    }
}

TEST(FolderAction, OffersTheFolderToThreeFileManagersWithoutBecomingTheDefault) {
    TestFolder data;
    QDir(data.Path()).mkdir("applications");
    WriteAll(data.File("applications/mimeapps.list"), "[Default Applications]\n");
    const QString program = "/opt/Mein Programm/plenmar";
    WriteFolderAction(data.Path(), program);

    const QString entry = Read(data.File("applications/plenmar-verzeichnis.desktop"));
    for (const char* line : {"Name=Ganzes Verzeichnis mit Plenmar umwandeln oder versenden",
                             "Exec=\"/opt/Mein Programm/plenmar\" /V %f",
                             "MimeType=inode/directory;", "NoDisplay=true"}) {
        EXPECT_TRUE(entry.contains(QString(line) + '\n')) << line;
    }
    const QString dolphin = data.File("kio/servicemenus/plenmar-verzeichnis.desktop");
    EXPECT_TRUE(Read(dolphin).contains("Exec=\"/opt/Mein Programm/plenmar\" /V %f\n"));
    EXPECT_TRUE(QFileInfo(dolphin).isExecutable()) << "Dolphin runs only executable menus";
    EXPECT_TRUE(Read(data.File("nemo/actions/plenmar-verzeichnis.nemo_action"))
                    .contains("Exec=\"/opt/Mein Programm/plenmar\" /V %F\n"));
    EXPECT_EQ(Read(data.File("applications/mimeapps.list")), "[Default Applications]\n");
    EXPECT_EQ(QDir(data.File("applications")).entryList(QDir::Files),
              QStringList({"mimeapps.list", "plenmar-mail.desktop", "plenmar-verkleinern.desktop",
                           "plenmar-verzeichnis.desktop"}));
}

TEST(FolderAction, OffersChosenPicturesToShrinkAndToMail) {
    TestFolder data;
    WriteFolderAction(data.Path(), "/opt/Mein Programm/plenmar");
    const QString types =
        "image/jpeg;image/gif;image/bmp;image/heic;image/heif;image/webp;image/tiff;image/png;";
    const QString endings = "Extensions=jpg;jpeg;jpe;gif;bmp;heic;heif;webp;tif;tiff;png;";
    const struct {
        const char* file;
        QStringList lines;
    } cases[] = {
        {"applications/plenmar-verkleinern.desktop",
         {"Name=Mit Plenmar verkleinern", "Exec=\"/opt/Mein Programm/plenmar\" --shrink %F",
          "MimeType=" + types, "NoDisplay=true"}},
        {"applications/plenmar-mail.desktop",
         {"Name=Mit Plenmar per Mail versenden", "Exec=\"/opt/Mein Programm/plenmar\" --mail %F",
          "MimeType=" + types, "NoDisplay=true"}},
        {"kio/servicemenus/plenmar-bilder.desktop",
         {"MimeType=" + types, "Actions=verkleinern;mail;", "[Desktop Action verkleinern]",
          "Exec=\"/opt/Mein Programm/plenmar\" --shrink %F", "[Desktop Action mail]",
          "Name=Mit Plenmar per Mail versenden", "Exec=\"/opt/Mein Programm/plenmar\" --mail %F"}},
        {"nemo/actions/plenmar-verkleinern.nemo_action",
         {"Name=Mit Plenmar verkleinern", "Exec=\"/opt/Mein Programm/plenmar\" --shrink %F",
          "Selection=notnone", endings}},
        {"nemo/actions/plenmar-mail.nemo_action",
         {"Name=Mit Plenmar per Mail versenden", "Exec=\"/opt/Mein Programm/plenmar\" --mail %F",
          "Selection=notnone", endings}},
    };
    for (const auto& c : cases) {
        const QString content = Read(data.File(c.file));
        for (const QString& line : c.lines) {
            EXPECT_TRUE(content.contains(line + '\n')) << c.file << ": " << line.toStdString();
        }
    }
    EXPECT_TRUE(QFileInfo(data.File("kio/servicemenus/plenmar-bilder.desktop")).isExecutable());
}

TEST(FolderAction, WritesOnlyWhatChangedAndNeverStopsTheStart) {
    TestFolder data;
    WriteFolderAction(data.Path(), "/usr/bin/plenmar");
    const QString entry = data.File("applications/plenmar-verzeichnis.desktop");
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(old, QFile::FileModificationTime));
    file.close();
    WriteFolderAction(data.Path(), "/usr/bin/plenmar");
    EXPECT_EQ(QFileInfo(entry).lastModified(), old) << "the same content is not written again";
    WriteFolderAction(data.Path(), "/usr/local/bin/plenmar");
    EXPECT_TRUE(Read(entry).contains("Exec=/usr/local/bin/plenmar /V %f\n"));

    // Where the applications folder cannot be made, the others are written all the same.
    TestFolder blocked;
    WriteAll(blocked.File("applications"), "a file where the folder should be");
    WriteFolderAction(blocked.Path(), "/usr/bin/plenmar");
    EXPECT_TRUE(QFileInfo::exists(blocked.File("nemo/actions/plenmar-verzeichnis.nemo_action")));

    const CRegistryWriter writer;
    EXPECT_FALSE(writer.SetStringValue(blocked.Path(), "x/y", std::nullopt, "value"));
    EXPECT_FALSE(QFileInfo::exists(blocked.File("x"))) << "a missing value name touches nothing";
    EXPECT_TRUE(writer.SetStringValue(blocked.Path(), "/x//y/", QString("name"), "value"));
    EXPECT_EQ(Read(blocked.File("x/y/name")), "value");
}

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
