#include <QApplication>

#include "platform/PictureObject.h"
#include "platform/WidgetPrompts.h"
#include "workflow/MainDlg.h"

int main(int argc, char* argv[]) {
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
        result = window.exec();
    }
    InstallPrompts(nullptr);
    return result == QDialog::Rejected || result == QDialog::Accepted ? 0 : result;
}
