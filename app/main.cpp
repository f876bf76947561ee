#include <QApplication>
#include <QSessionManager>

#include "platform/EndingSignalNotifier.h"
#include "platform/EndingSignals.h"
#include "platform/PictureObject.h"
#include "platform/WidgetPrompts.h"
#include "workflow/MainDlg.h"

int main(int argc, char* argv[]) {
    InstallEndingSignalHandlers();
    QApplication app(argc, argv);
    QuietDecoderMessages();
    // Where the settings live: ~/.config/Weskamor/Plenmar.conf.
    QCoreApplication::setOrganizationName(QStringLiteral("Weskamor"));
    QCoreApplication::setApplicationName(QStringLiteral("Plenmar"));
    WidgetPrompts prompts;
    InstallPrompts(&prompts);
    int result = 0;
    {
        CMainDlg window;
        // Ended by a signal (a logout, `kill`) the window closes as if the user had closed it:
        // settings kept, preview file removed; dialogs open over it close too.
        EndingSignalNotifier ending;
        QObject::connect(&ending, &EndingSignalNotifier::EndRequested, &window, [&window] {
            window.done(QDialog::Rejected);
            QCoreApplication::exit(0);
        });
#if QT_CONFIG(sessionmanager)
        QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                         [&window](QSessionManager&) { window.StoreSettings(); });
#endif
        result = window.exec();
        if (window.isVisible()) {
            window.done(QDialog::Rejected);  // the session's end quits every event loop
        }
    }
    InstallPrompts(nullptr);
    return result == QDialog::Rejected || result == QDialog::Accepted ? 0 : result;
}
