#include "MainApp.h"
#include "platform/processes/EndingSignals.h"
#include "platform/processes/Memory.h"

int main(int argc, char* argv[]) {
    // From the very start a signal that ends the program removes its temporary files.
    InstallEndingSignalHandlers();
    // A folder run decodes one picture after another; their memory is reused, and handed back
    // when the run is over.
    KeepFreedMemoryForReuse();
    CMainApp app(argc, argv);
    return app.InitInstance() ? app.ExitStatus() : 1;
}
