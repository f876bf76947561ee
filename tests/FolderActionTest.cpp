#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include "app/program/FolderAction.h"
#include "platform/emulation/RegistryWriter.h"
#include "support/TestFiles.h"
#include "workflow/SettingsStore.h"

namespace {

QString Read(const QString& path) {
    return QString::fromUtf8(ReadAll(path));
}

const QString kProgram = "/opt/Mein Programm/plenmar";

// The entries of every file manager, written into a data folder of the test's own with the
// settings in a folder of its own.
class FolderAction : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.Path());
    }
    void Write(const QString& program = kProgram) {
        SettingsStore settings;
        WriteFolderAction(data.Path(), program, settings);
    }
    QStringList Files(const QString& folder) const {
        return QDir(data.File(folder)).entryList(QDir::Files | QDir::Hidden);
    }

    TestFolder config;
    TestFolder data;
};

// What an earlier version wrote into the applications folder: entries that could become the
// program that opens pictures and folders.
void WriteOpenerEntries(const TestFolder& data) {
    QDir(data.Path()).mkpath("applications");
    WriteAll(data.File("applications/plenmar-verzeichnis.desktop"),
             "[Desktop Entry]\nType=Application\nName=Ganzes Verzeichnis mit Plenmar umwandeln "
             "oder versenden\nExec=/usr/bin/plenmar /V %f\nMimeType=inode/directory;\n"
             "NoDisplay=true\n");
    for (const char* stem : {"verkleinern", "mail"}) {
        const QString name =
            QString("Mit Plenmar %1").arg(QString(stem) == "mail" ? "per Mail versenden" : stem);
        WriteAll(data.File(QString("applications/plenmar-%1.desktop").arg(stem)),
                 QString("[Desktop Entry]\nType=Application\nName=%1\nExec=/usr/bin/plenmar "
                         "--%2 %F\nMimeType=image/jpeg;image/png;\nNoDisplay=true\n")
                     .arg(name, QString(stem) == "mail" ? "mail" : "shrink")
                     .toUtf8());
    }
}

}  // namespace

TEST(FolderActionText, ArgumentsAreQuotedAsDesktopEntriesAndShellsWant) {
    const struct {
        const char* argument;
        const char* exec;   // in a desktop entry's Exec line
        const char* shell;  // in a shell script
    } cases[] = {
        {"/usr/bin/plenmar", "/usr/bin/plenmar", "'/usr/bin/plenmar'"},
        {"/opt/Mein Programm/plenmar", "\"/opt/Mein Programm/plenmar\"",
         "'/opt/Mein Programm/plenmar'"},
        {"/opt/100%/plenmar", "/opt/100%%/plenmar", "'/opt/100%/plenmar'"},
        {"/opt/a\"b$c/plenmar", "\"/opt/a\\\\\"b\\\\$c/plenmar\"", "'/opt/a\"b$c/plenmar'"},
        {"/opt/a\\b/plenmar", "\"/opt/a\\\\\\\\b/plenmar\"", "'/opt/a\\b/plenmar'"},
        {"/opt/it's/plenmar", "\"/opt/it's/plenmar\"", "'/opt/it'\\''s/plenmar'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DesktopExecArgument(c.argument), c.exec) << c.argument;
        EXPECT_EQ(ShellWord(c.argument), c.shell) << c.argument;
    }
}

TEST_F(FolderAction, EachFileManagerGetsItsOwnEntriesAndNoneAnOpener) {
    WriteOpenerEntries(data);
    WriteAll(data.File("applications/mimeapps.list"), "[Default Applications]\n");
    WriteAll(data.File("applications/plenmar-mail.desktop.bak"), "a file of the user's own");
    Write();

    const QString types =
        "image/jpeg;image/gif;image/bmp;image/heic;image/heif;image/webp;image/tiff;image/png;";
    const QString exec = "\"/opt/Mein Programm/plenmar\"";
    const struct {
        const char* file;
        bool executable;
        QStringList lines;
    } cases[] = {
        {"kio/servicemenus/plenmar-verzeichnis.desktop",
         true,
         {"Type=Service", "MimeType=inode/directory;", "Actions=umwandeln;",
          "Name=Ganzes Verzeichnis mit Plenmar umwandeln oder versenden", "Exec=" + exec + " /V %f",
          "TryExec=/opt/Mein Programm/plenmar"}},
        {"kio/servicemenus/plenmar-bilder.desktop",
         true,
         {"MimeType=" + types, "Actions=verkleinern;mail;", "[Desktop Action verkleinern]",
          "Exec=" + exec + " --shrink %F", "Name=Mit Plenmar per Mail versenden",
          "Exec=" + exec + " --mail %F"}},
        {"nemo/actions/plenmar-verzeichnis.nemo_action",
         false,
         {"Exec=" + exec + " /V %F", "Selection=s", "Extensions=dir;",
          "Dependencies=/opt/Mein Programm/plenmar;"}},
        {"nemo/actions/plenmar-verkleinern.nemo_action",
         false,
         {"Name=Mit Plenmar verkleinern", "Exec=" + exec + " --shrink %F", "Selection=notnone",
          "Extensions=jpg;jpeg;jpe;gif;bmp;heic;heif;webp;tif;tiff;png;"}},
        {"nemo/actions/plenmar-mail.nemo_action",
         false,
         {"Name=Mit Plenmar per Mail versenden", "Exec=" + exec + " --mail %F"}},
        {"nautilus/scripts/Ganzes Verzeichnis mit Plenmar umwandeln oder versenden",
         true,
         {"#!/bin/sh", "program='/opt/Mein Programm/plenmar'", "exec \"$program\" /V \"$target\""}},
        {"nautilus/scripts/Mit Plenmar verkleinern", true, {"exec \"$program\" --shrink \"$@\""}},
        {"nautilus/scripts/Mit Plenmar per Mail versenden",
         true,
         {"exec \"$program\" --mail \"$@\""}},
        {"file-manager/actions/plenmar-verzeichnis.desktop",
         false,
         {"Type=Action", "Profiles=vistrane;", "Exec=" + exec + " /V %f",
          "MimeTypes=inode/directory;", "SelectionCount==1", "TryExec=/opt/Mein Programm/plenmar"}},
        {"file-manager/actions/plenmar-verkleinern.desktop",
         false,
         {"Exec=" + exec + " --shrink %F", "MimeTypes=" + types, "SelectionCount=>0"}},
        {"file-manager/actions/plenmar-mail.desktop", false, {"Exec=" + exec + " --mail %F"}},
    };
    for (const auto& c : cases) {
        const QString content = Read(data.File(c.file));
        EXPECT_TRUE(content.contains("# Written by Vistrane")) << c.file;
        for (const QString& line : c.lines) {
            EXPECT_TRUE(content.contains(line + '\n')) << c.file << ": " << line.toStdString();
        }
        EXPECT_EQ(QFileInfo(data.File(c.file)).isExecutable(), c.executable) << c.file;
    }
    // The openers of earlier versions are gone; what is not the program's stays.
    EXPECT_EQ(Files("applications"), (QStringList{"mimeapps.list", "plenmar-mail.desktop.bak"}));
    EXPECT_EQ(Read(data.File("applications/mimeapps.list")), "[Default Applications]\n");
}

TEST_F(FolderAction, AnEntryTheUserDeletedIsNotWrittenAgain) {
    Write();
    const QString nemo = data.File("nemo/actions/plenmar-mail.nemo_action");
    const QString script = data.File("nautilus/scripts/Mit Plenmar verkleinern");
    ASSERT_TRUE(QFile::remove(nemo));
    ASSERT_TRUE(QFile::remove(script));
    Write("/usr/local/bin/plenmar");
    Write("/usr/local/bin/plenmar");
    EXPECT_FALSE(QFileInfo::exists(nemo));
    EXPECT_FALSE(QFileInfo::exists(script));
    EXPECT_TRUE(Read(data.File("nemo/actions/plenmar-verkleinern.nemo_action"))
                    .contains("Exec=/usr/local/bin/plenmar --shrink %F\n"))
        << "the others follow the program";

    // A file of the user's own under an entry's name is never replaced.
    const QString own = data.File("file-manager/actions/plenmar-mail.desktop");
    WriteAll(own, "[Desktop Entry]\nType=Action\nName=Meine eigene Aktion\n");
    Write();
    EXPECT_EQ(Read(own), "[Desktop Entry]\nType=Action\nName=Meine eigene Aktion\n");
}

TEST_F(FolderAction, WritesOnlyWhatChangedAndNeverStopsTheStart) {
    Write("/usr/bin/plenmar");
    const QString entry = data.File("nemo/actions/plenmar-verzeichnis.nemo_action");
    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(old, QFile::FileModificationTime));
    file.close();
    Write("/usr/bin/plenmar");
    EXPECT_EQ(QFileInfo(entry).lastModified(), old) << "the same content is not written again";

    // Where one folder cannot be made, the others are written all the same.
    TestFolder otherConfig;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, otherConfig.Path());
    TestFolder blocked;
    QDir(blocked.Path()).mkpath("kio");
    WriteAll(blocked.File("kio/servicemenus"), "a file where the folder should be");
    SettingsStore settings;
    WriteFolderAction(blocked.Path(), "/usr/bin/plenmar", settings);
    EXPECT_TRUE(QFileInfo::exists(blocked.File("nemo/actions/plenmar-verzeichnis.nemo_action")));

    const CRegistryWriter writer;
    EXPECT_FALSE(writer.SetStringValue(blocked.Path(), "x/y", std::nullopt, "value"));
    EXPECT_FALSE(QFileInfo::exists(blocked.File("x"))) << "a missing value name touches nothing";
    EXPECT_TRUE(writer.SetStringValue(blocked.Path(), "/x//y/", QString("name"), "value"));
    EXPECT_EQ(Read(blocked.File("x/y/name")), "value");
}

TEST_F(FolderAction, AProgramPathWithALineBreakWritesNoCommand) {
    Write("/opt/evil\nExec=/bin/rm -rf ~\n/plenmar");
    for (const char* folder :
         {"kio/servicemenus", "nemo/actions", "nautilus/scripts", "file-manager/actions"}) {
        EXPECT_TRUE(Files(folder).isEmpty()) << folder;
    }
}

// The scripts of GNOME Files, run as GNOME Files runs them, with a stand-in for the program
// that records how it was started.
TEST_F(FolderAction, TheScriptsOfGnomeFilesHandOverWhatWasChosen) {
    const QString program = data.File("bin/plenmar");
    QDir(data.Path()).mkpath("bin");
    WriteAll(program, "#!/bin/sh\nfor a in \"$@\"; do printf '%s|' \"$a\"; done\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    Write(program);
    QDir(data.Path()).mkpath("Urlaub");
    WriteAll(data.File("Urlaub/a b.jpg"), "x");
    const QString urlaub = data.File("Urlaub");
    const struct {
        const char* script;
        QStringList arguments;
        QString selectedPaths;  // what older versions put into the environment
        QString printed;
    } cases[] = {
        {"Mit Plenmar verkleinern", {"a b.jpg", "c'd.png"}, {}, "--shrink|a b.jpg|c'd.png|"},
        {"Mit Plenmar per Mail versenden",
         {},
         urlaub + "/a b.jpg\n" + urlaub + "/x.gif\n",
         "--mail|" + urlaub + "/a b.jpg|" + urlaub + "/x.gif|"},
        {"Ganzes Verzeichnis mit Plenmar umwandeln oder versenden",
         {urlaub},
         {},
         "/V|" + urlaub + "|"},
        {"Ganzes Verzeichnis mit Plenmar umwandeln oder versenden",
         {"a b.jpg"},
         {},
         "/V|" + urlaub + "|"},
        {"Ganzes Verzeichnis mit Plenmar umwandeln oder versenden", {}, {}, "/V|" + urlaub + "|"},
    };
    for (const auto& c : cases) {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS");
        if (!c.selectedPaths.isEmpty()) {
            environment.insert("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS", c.selectedPaths);
        }
        environment.insert("PWD", urlaub);
        run.setProcessEnvironment(environment);
        run.setWorkingDirectory(urlaub);
        run.start(data.File(QString("nautilus/scripts/") + c.script), c.arguments);
        ASSERT_TRUE(run.waitForFinished(10000)) << c.script;
        EXPECT_EQ(QString::fromUtf8(run.readAllStandardOutput()), c.printed) << c.script;
    }

    // With the program gone, a script says so and fails.
    QFile::remove(program);
    QProcess gone;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", "/usr/bin:/bin");  // no notify-send there in a test of ours
    gone.setProcessEnvironment(environment);
    gone.start(data.File("nautilus/scripts/Mit Plenmar verkleinern"), {"a.jpg"});
    ASSERT_TRUE(gone.waitForFinished(10000));
    EXPECT_EQ(gone.exitCode(), 1);
}

// What opens pictures and folders is the desktop's choice before and after: checked with a
// cache built as installers build it, through xdg-mime and gio.
TEST_F(FolderAction, PhotosAndFoldersStillOpenWhereTheyOpenedBefore) {
    const QString updateDatabase = QStandardPaths::findExecutable("update-desktop-database");
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (updateDatabase.isEmpty() || xdgMime.isEmpty()) {
        GTEST_SKIP() << "update-desktop-database (desktop-file-utils) or xdg-mime missing";
    }
    TestFolder system;
    QDir(system.Path()).mkpath("applications");
    WriteAll(system.File("applications/bildbetrachter.desktop"),
             "[Desktop Entry]\nType=Application\nName=Bildbetrachter\nExec=true %f\n"
             "MimeType=image/jpeg;image/png;\n");
    WriteAll(system.File("applications/dateien.desktop"),
             "[Desktop Entry]\nType=Application\nName=Dateien\nExec=true %f\n"
             "MimeType=inode/directory;\n");
    ASSERT_EQ(QProcess::execute(updateDatabase, {system.File("applications")}), 0);
    WriteOpenerEntries(data);
    ASSERT_EQ(QProcess::execute(updateDatabase, {data.File("applications")}), 0);
    Write();

    const auto query = [&](const QString& program, const QStringList& arguments) {
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_HOME", data.Path());
        environment.insert("XDG_DATA_DIRS", system.Path());
        environment.insert("XDG_CONFIG_HOME", config.Path());
        environment.insert("XDG_CURRENT_DESKTOP", "X-Generic");
        run.setProcessEnvironment(environment);
        run.start(program, arguments);
        run.waitForFinished(20000);
        return QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    };
    EXPECT_EQ(query(xdgMime, {"query", "default", "image/jpeg"}), "bildbetrachter.desktop");
    EXPECT_EQ(query(xdgMime, {"query", "default", "inode/directory"}), "dateien.desktop");
    const QString gio = QStandardPaths::findExecutable("gio");
    if (!gio.isEmpty()) {
        EXPECT_FALSE(query(gio, {"mime", "image/jpeg"}).contains("plenmar"));
        EXPECT_FALSE(query(gio, {"mime", "inode/directory"}).contains("plenmar"));
    }
}
