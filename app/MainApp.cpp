#include "MainApp.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTranslator>

#include "ChosenCommand.h"
#include "FolderAction.h"
#include "WindowForwarding.h"
#include "mail/MailProvider.h"
#include "mail/SimpleMapi.h"
#include "platform/EndingSignalNotifier.h"
#include "platform/ImageThreads.h"
#include "platform/PictureObject.h"
#include "platform/StringTable.h"
#include "platform/WidgetPrompts.h"
#include "ui/ControlPanelDlg.h"
#include "workflow/MainDlg.h"
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

    WriteFolderAction(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                      applicationFilePath());
    // Copies from sends of earlier days would otherwise wait for the next send to go.
    RemoveOldMailCopies();

    WidgetPrompts prompts;
    Prompts* previous = InstallPrompts(&prompts);
    // Pictures chosen in a file manager are converted without the window, on their own.
    if (const std::optional<ChosenAction> action = ChosenActionOf(arguments().mid(1))) {
        CSimpleMapi mail;
        m_exitStatus = RunChosenAction(*action, arguments().mid(2), mail);
        InstallPrompts(previous);
        return true;
    }
    // A window runs already: it takes the command line and comes to the front.
    const QString server = WindowServerName(SettingsStore().FileName());
    if (ForwardToRunningWindow(server, arguments().mid(1))) {
        InstallPrompts(previous);
        return true;
    }
    {
        CMainDlg window;
        CommandLineReceiver receiver;
        connect(&receiver, &CommandLineReceiver::Received, &window,
                [&window](const QStringList& arguments) { window.TakeCommandLine(arguments); });
        receiver.Listen(server);
        window.SetControlPanelFactory(
            [](CMainDlg& owner) -> ControlPanel* { return new CControlPanelDlg(&owner); });
        window.SetCommandLine(arguments().mid(1));
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
