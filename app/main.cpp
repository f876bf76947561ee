#include "MainApp.h"
#include "platform/EndingSignals.h"

int main(int argc, char* argv[]) {
    // From the very start a signal that ends the program removes its temporary files.
    InstallEndingSignalHandlers();
    CMainApp app(argc, argv);
    return app.InitInstance() ? 0 : 1;
}
