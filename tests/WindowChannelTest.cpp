#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <cstring>
#include <future>

#include "app/program/WindowForwarding.h"
#include "platform/processes/PeerUser.h"
#include "platform/widgets/DialogTemplate.h"
#include "support/MailStandInTest.h"
#include "support/QtPrinters.h"
#include "ui/ControlPanelDlg.h"
#include "window/MainDlg.h"

namespace {

// A window that listens as the program's does, and starts of the program beside it.
class WindowChannel : public MailStandInTest {
protected:
    void SetUp() override {
        MailStandInTest::SetUp();
        name = WindowServerName(otherConfig.File("Weskamor/Plenmar.conf"));
    }

    std::unique_ptr<CMainDlg> StartListening(bool withPanel = false) {
        auto window = std::make_unique<CMainDlg>();
        if (withPanel) {
            window->SetControlPanelFactory(
                [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
        }
        // Modal, as the program runs it for its whole life.
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        window->WaitForConversions();
        receiver = std::make_unique<CommandLineReceiver>();
        CMainDlg* shown = window.get();
        QObject::connect(
            receiver.get(), &CommandLineReceiver::Received, shown,
            [shown](const QStringList& arguments) { shown->TakeCommandLine(arguments); });
        receiver->SetShownValues([shown] {
            return ShownValues{shown->CurrentParams(), shown->BatchMail().mailSubject,
                               shown->BatchMail().mailText};
        });
        EXPECT_TRUE(receiver->Listen(name));
        return window;
    }

    QProcessEnvironment ProgramEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", otherConfig.Path());
        environment.insert("XDG_DATA_HOME", otherConfig.File("data"));
        environment.insert("XDG_RUNTIME_DIR", runtime.Path());
        environment.insert("XDG_CACHE_HOME", cache.Path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        return environment;
    }

    // The program started as a file manager starts it; its exit code, -1 when it crashed or
    // did not end in time.
    int SecondStart(const QStringList& arguments, QByteArray* output = nullptr) {
        QProcess program;
        program.setProcessEnvironment(ProgramEnvironment());
        program.setWorkingDirectory(pictures.Path());
        program.start(PLENMAR_PROGRAM, arguments);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, 30000));
        if (output != nullptr) {
            *output = program.readAllStandardOutput();
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

    // Runs `ask` on a thread of its own while this one serves the window, as another process
    // would.
    template <typename Ask>
    auto Meanwhile(Ask ask) {
        auto answer = std::async(std::launch::async, ask);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            20000));
        return answer.get();
    }

    TestFolder otherConfig;
    QString name;
    std::unique_ptr<CommandLineReceiver> receiver;
};

QString Photo(const TestFolder& folder, const QString& name, int width = 400, int height = 300) {
    const QString path = folder.File(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteAll(path, Encode(QuarterPattern(width, height), "jpeg", 95));
    return path;
}

}  // namespace

TEST(WindowChannelText, RelativePathsAreMadeAbsoluteBeforeTheyAreHandedOver) {
    const QString here = QDir::currentPath();
    const struct {
        QStringList given;
        QStringList handed;
    } cases[] = {
        {{"Bild.jpg"}, {here + "/Bild.jpg"}},
        {{"Mein", "Bild.jpg"}, {here + "/Mein Bild.jpg"}},
        {{"/abs/Bild.jpg"}, {"/abs/Bild.jpg"}},
        {{"/V", "."}, {"/V", here}},
        {{"/v", "  Urlaub ", "2024 "}, {"/v", here + "/Urlaub  2024"}},
        {{"../x/./Bild.jpg"}, {QFileInfo(here).path() + "/x/Bild.jpg"}},
        {{"/V", "/home/u/Bilder"}, {"/V", "/home/u/Bilder"}},
        {{"/V"}, {"/V", ""}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AbsoluteCommandLine(c.given), c.handed) << c.given.join('|').toStdString();
    }
}

TEST_F(WindowChannel, ASecondStartHandsItsCommandLineToTheRunningWindow) {
    EXPECT_FALSE(ForwardToRunningWindow(name, {"x.jpg"}, 200)) << "no window: start alone";
    EXPECT_TRUE(name.startsWith(runtime.Path() + "/plenmar/")) << name.toStdString();
    const QString photo = Photo(pictures, "Mein Foto.jpg");
    auto window = StartListening();
    EXPECT_NE(name, WindowServerName(config.File("Weskamor/Plenmar.conf")))
        << "a window of other settings is another's";

    // Named as the shell in the pictures' folder names it.
    EXPECT_EQ(SecondStart({"Mein", "Foto.jpg"}), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->PicturePath() == photo; }, 5000))
        << window->PicturePath().toStdString();

    // The start is confirmed while the dialog it asked for is still open.
    bool confirmedWhileOpen = false;
    prompts.AnswerDialogNext([&](QDialog&) {
        confirmedWhileOpen = QTest::qWaitFor(
            [&] { return !QFileInfo::exists(runtime.File("second-start-waits")); }, 8000);
        return int(QDialog::Rejected);
    });
    WriteAll(runtime.File("second-start-waits"), "");
    EXPECT_TRUE(Meanwhile([&] {
        const bool taken = ForwardToRunningWindow(name, AbsoluteCommandLine({"/V", "."}), 5000);
        QFile::remove(runtime.File("second-start-waits"));
        return taken;
    }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompts.DialogCaptions().isEmpty(); }, 5000));
    EXPECT_TRUE(confirmedWhileOpen);
    EXPECT_EQ(prompts.DialogCaptions(), QStringList{"Verzeichnis umwandeln"});
    EXPECT_EQ(window->BatchMail().sourceFolder, QDir::currentPath());
    QSettings stored(otherConfig.File("Weskamor/Plenmar.conf"), QSettings::IniFormat);
    EXPECT_FALSE(stored.contains("Setting/X")) << "the second start keeps no window's settings";

    QByteArray help;
    EXPECT_EQ(SecondStart({"--help"}, &help), 0);
    EXPECT_TRUE(help.startsWith("Usage: plenmar")) << help.toStdString();
    EXPECT_EQ(window->PicturePath(), photo) << "--help is no picture to hand over";
    QByteArray version;
    EXPECT_EQ(SecondStart({"--version"}, &version), 0);
    EXPECT_TRUE(version.startsWith("plenmar 0.")) << version.toStdString();
    window->close();
}

TEST_F(WindowChannel, ActionsTakeWhatThePanelShows) {
    auto window = StartListening(true);
    auto* panel = dynamic_cast<CControlPanelDlg*>(window->Panel());
    ASSERT_NE(panel, nullptr);
    qobject_cast<QLineEdit*>(ControlById(*panel, 1018))->setText("800");
    qobject_cast<QLineEdit*>(ControlById(*panel, 1026))->setText("90");
    qobject_cast<QLineEdit*>(ControlById(*panel, 1065))->setText("30");
    for (int tick = 0; tick < 3; ++tick) {
        panel->OnTimer();
    }
    window->WaitForConversions();
    const int companion = window->Params().CompanionSize;
    prompts.AnswerDialogNext([](QDialog& dialog) {
        qobject_cast<QLineEdit*>(ControlById(dialog, 1039))->setText("Neuer Betreff");
        return int(QDialog::Accepted);
    });
    window->OnMailSetup();
    // Typed, not yet taken: a size on its way is no size to convert with.
    qobject_cast<QLineEdit*>(ControlById(*panel, 1018))->setText("5");

    const std::optional<ShownValues> shown = Meanwhile([this] { return AskRunningWindow(name); });
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->params.TargetSize, 800);
    EXPECT_EQ(shown->params.Quality, 90);
    EXPECT_EQ(shown->params.MaxKb, 30);
    EXPECT_EQ(shown->params.Resolution, 72);
    EXPECT_EQ(shown->mailSubject, "Neuer Betreff");

    // The window ends with the half-typed size: the last one converted is kept.
    window->close();
    QSettings stored(config.File("Weskamor/Plenmar.conf"), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Setting/X").toInt(), 800);
    EXPECT_EQ(stored.value("Setting/Y").toInt(), companion);
    EXPECT_EQ(stored.value("Setting/Quality").toInt(), 90);
}

TEST_F(WindowChannel, ASocketThatAnswersIsNeverTakenAndOneLeftBehindIs) {
    auto window = StartListening();
    CommandLineReceiver second;
    EXPECT_FALSE(second.Listen(name)) << "the window's socket answers";
    EXPECT_TRUE(Meanwhile([this] { return AskRunningWindow(name).has_value(); }))
        << "and goes on answering";
    receiver.reset();

    // A socket file with nobody behind it, as a window killed at once leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    ASSERT_LT(path.size(), qsizetype(sizeof(address.sun_path)));
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    EXPECT_TRUE(second.Listen(name)) << "nobody answers there";
    window->close();
}

TEST_F(WindowChannel, AConnectionThatSaysNothingOrNonsenseIsClosed) {
    auto window = StartListening();
    receiver->SetIdleLimit(300);
    // Nothing; another protocol; a request of ours claiming more arguments than there are.
    QByteArray huge;
    QDataStream claim(&huge, QIODevice::WriteOnly);
    claim << quint32(0x504c4e4d) << quint16(1) << quint32(0x7fffffff);
    for (const QByteArray& sent : {QByteArray(), QByteArray("GET / HTTP/1.0\r\n\r\n"), huge}) {
        QLocalSocket socket;
        socket.connectToServer(name);
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(sent);
        socket.flush();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; }, 5000))
            << sent.toStdString();
    }
    EXPECT_EQ(window->PicturePath(), QString()) << "nothing was taken for a picture";
    window->close();
}

TEST_F(WindowChannel, AHandOverWaitsForTheOpenDialog) {
    auto window = StartListening();
    const QString first = Photo(pictures, "Erstes.jpg");
    const QString second = Photo(pictures, "Zweites.jpg");
    window->TakeCommandLine({first});
    window->WaitForConversions();
    ASSERT_EQ(window->PicturePath(), first);

    // "Speichern unter" is open: the picture under it must stay the one proposed.
    QDialog saveAs(window.get());
    saveAs.setModal(true);
    saveAs.show();
    ASSERT_TRUE(Meanwhile([&] { return ForwardToRunningWindow(name, {second}); }));
    QTest::qWait(500);
    EXPECT_EQ(window->PicturePath(), first) << "held while the dialog is open";
    saveAs.close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->PicturePath() == second; }, 5000));
    window->close();
}

TEST_F(WindowChannel, StartsAtTheSameMomentOpenOneWindow) {
    const QStringList photos{Photo(pictures, "a.jpg"), Photo(pictures, "b.jpg"),
                             Photo(pictures, "c.jpg")};
    std::vector<std::unique_ptr<QProcess>> starts;
    for (const QString& photo : photos) {
        auto program = std::make_unique<QProcess>();
        program->setProcessEnvironment(ProgramEnvironment());
        program->start(PLENMAR_PROGRAM, {photo});
        starts.push_back(std::move(program));
    }
    const auto running = [&] {
        return std::count_if(starts.begin(), starts.end(), [](const auto& program) {
            return program->state() != QProcess::NotRunning;
        });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return running() == 1; }, 30000)) << running();
    QTest::qWait(500);
    EXPECT_EQ(running(), 1) << "one window, and it stays";
    for (const auto& program : starts) {
        if (program->state() == QProcess::NotRunning) {
            EXPECT_EQ(program->exitCode(), 0) << "handed over";
        }
    }
    EXPECT_TRUE(Meanwhile([this] { return AskRunningWindow(name).has_value(); }))
        << "the window's socket is the one that stayed";
    for (const auto& program : starts) {
        program->terminate();  // closes as if the user had closed it
        program->waitForFinished(10000);
    }
}

// Another user's listener where the window's socket would be: the start hands it nothing.
TEST_F(WindowChannel, NothingIsHandedToAnotherUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run a listener as another user";
    }
    TestFolder shared;
    ::chmod(QFile::encodeName(shared.Path()).constData(), 01777);
    const QByteArray path = QFile::encodeName(shared.File("window"));
    int ready[2];
    int heard[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(heard), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        // Only calls a forked child of a threaded process may make.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            ::_exit(1);
        }
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
        if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd, 4) != 0) {
            ::_exit(2);
        }
        ::chmod(path.constData(), 0777);
        (void)!::write(ready[1], "r", 1);
        const int connection = ::accept(fd, nullptr, nullptr);
        char buffer[4096];
        const ssize_t got = ::read(connection, buffer, sizeof(buffer));
        const char count = got > 0 ? 'd' : 'n';
        (void)!::write(heard[1], &count, 1);
        ::_exit(0);
    }
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1);
    EXPECT_FALSE(ForwardToRunningWindow(shared.File("window"), {"/home/u/geheim.jpg"}, 2000));
    EXPECT_FALSE(AskRunningWindow(shared.File("window"), 2000).has_value());
    char told = 0;
    ASSERT_EQ(::read(heard[0], &told, 1), 1);
    EXPECT_EQ(told, 'n') << "the other user's listener heard nothing";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}
