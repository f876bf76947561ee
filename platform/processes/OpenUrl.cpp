#include "OpenUrl.h"

#include <QDesktopServices>
#include <QStandardPaths>

#include "SpawnAndWait.h"

namespace {

using namespace std::chrono_literals;

UrlOpener g_opener;

bool Opened(const ProgramExit& ended) {
    return ended.how == ProgramExit::How::HandedOff ||
           (ended.how == ProgramExit::How::Exited && ended.code == 0);
}

}  // namespace

bool OpenUrl(const QUrl& url, std::function<void()> failedLater) {
    if (g_opener) {
        return g_opener(url);
    }
    // QDesktopServices hands the page to xdg-open and calls it opened once xdg-open runs,
    // also where there is no browser to show it.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        return QDesktopServices::openUrl(url);
    }
    // Not waited for here, where the user would see the window freeze.
    return Opened(SpawnAndHandOff(xdgOpen, {url.toString(QUrl::FullyEncoded)}, 0ms,
                                  [failedLater](const ProgramExit& ended) {
                                      if (!Opened(ended) && failedLater) {
                                          failedLater();
                                      }
                                  }));
}

UrlOpener InstallUrlOpener(UrlOpener opener) {
    std::swap(g_opener, opener);
    return opener;
}
