#include "MainApp.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>

#include "ChosenCommand.h"
#include "FolderAction.h"
#include "WindowForwarding.h"
#include "imaging/codecs/ImageThreads.h"
#include "imaging/codecs/PictureObject.h"
#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "platform/emulation/StringTable.h"
#include "platform/files/FileLock.h"
#include "platform/processes/EndingSignalNotifier.h"
#include "platform/widgets/WidgetPrompts.h"
#include "ui/ControlPanelDlg.h"
#include "window/MainDlg.h"
#include "workflow/SettingsStore.h"

namespace {

// Qt's own texts (the buttons of message boxes, the file dialogs) in German like the rest.
void LoadQtGermanTexts(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
}

// "--help" and "--version" are answered on the terminal: no picture is named so.
std::optional<QString> ProgramInformation(const QStringList& arguments) {
    if (arguments.size() != 1) {
        return std::nullopt;
    }
    if (arguments.front() == QLatin1String("--help") || arguments.front() == QLatin1String("-h")) {
        return QStringLiteral(
            "Usage: plenmar [PICTURE]\n"
            "       plenmar /V FOLDER\n"
            "       plenmar --shrink FILE...\n"
            "       plenmar --mail FILE...\n"
            "\n"
            "Opens the window with PICTURE (or the picture of the last start), or asks for a\n"
            "whole FOLDER to convert. --shrink writes \"NAME WIDTHxHEIGHT.jpg\" beside each\n"
            "picture, --mail hands the shrunk pictures to the mail program, both with the\n"
            "values the window shows (or last closed with), without opening it. A window that\n"
            "runs already takes the pictures of a later start. plenmar-convert converts from\n"
            "scripts.\n");
    }
    if (arguments.front() == QLatin1String("--version")) {
        return QStringLiteral("plenmar %1\n").arg(QLatin1String(VISTRANE_VERSION));
    }
    return std::nullopt;
}

}  // namespace

CMainApp::CMainApp(int& argc, char** argv) : QApplication(argc, argv) {
    QuietDecoderMessages();
    KeepImageThreadsReady();
    // The provisional name until the start settles on the profile's.
    setApplicationName(LoadString(57344));
    setDesktopFileName(QStringLiteral("vistrane"));  // task bars find the menu entry by it
    LoadQtGermanTexts(*this);
}

bool CMainApp::InitInstance() {
    // The network layer the program once initialised here (string 104 told of its failure)
    // needs no start on this system: nothing in the program uses sockets.
    setOrganizationName(QStringLiteral("Weskamor"));
    setApplicationName(QStringLiteral("Plenmar"));  // settings: ~/.config/Weskamor/Plenmar.conf

    const QStringList commandLine = arguments().mid(1);
    if (const std::optional<QString> answer = ProgramInformation(commandLine)) {
        std::fputs(answer->toLocal8Bit().constData(), stdout);
        return true;
    }
    {
        SettingsStore settings;
        WriteFolderAction(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                          applicationFilePath(), settings);
    }
    // Copies from sends of earlier days would otherwise wait for the next send to go.
    RemoveOldMailCopies();

    WidgetPrompts prompts;
    Prompts* previous = InstallPrompts(&prompts);
    const QString server = WindowServerName(SettingsStore().FileName());
    // Pictures chosen in a file manager are converted without the window, on their own, with
    // what the window's panel shows when one runs.
    if (const std::optional<ChosenAction> action = ChosenActionOf(commandLine)) {
        CSimpleMapi mail;
        m_exitStatus = RunChosenAction(*action, commandLine.mid(1), mail, AskRunningWindow(server));
        InstallPrompts(previous);
        return true;
    }
    // Starts at the same moment ("Öffnen mit" on three pictures) take turns: the first opens
    // the window, the others hand it their pictures.
    FileLock turn(server.isEmpty() ? QString() : server + QStringLiteral(".lock"), 10000);
    // A window runs already: it takes the command line and comes to the front.
    if (ForwardToRunningWindow(server, AbsoluteCommandLine(commandLine))) {
        InstallPrompts(previous);
        return true;
    }
    {
        CMainDlg window;
        CommandLineReceiver receiver;
        connect(&receiver, &CommandLineReceiver::Received, &window,
                [&window](const QStringList& arguments) { window.TakeCommandLine(arguments); });
        receiver.SetShownValues([&window] {
            return ShownValues{window.CurrentParams(), window.BatchMail().mailSubject,
                               window.BatchMail().mailText};
        });
        receiver.Listen(server);
        turn.Release();
        window.SetControlPanelFactory(
            [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
        window.SetCommandLine(commandLine);
        // Ended by a signal (a logout, `kill`) the window closes as if the user had closed it:
        // settings kept, preview file removed; dialogs open over it close too.
        EndingSignalNotifier ending;
        connect(&ending, &EndingSignalNotifier::EndRequested, &window, [&window] {
            window.done(QDialog::Rejected);
            QCoreApplication::exit(0);
        });
#if QT_CONFIG(sessionmanager)
        connect(this, &QGuiApplication::commitDataRequest, &window,
                [&window](QSessionManager&) { window.StoreSettings(); });
#endif
        window.exec();
        if (window.isVisible()) {
            window.done(QDialog::Rejected);  // the session's end quits every event loop
        }
    }
    InstallPrompts(previous);
    return true;
}
