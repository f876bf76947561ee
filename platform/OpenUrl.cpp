#include "OpenUrl.h"

#include <QDesktopServices>

namespace {

UrlOpener g_opener;

}  // namespace

bool OpenUrl(const QUrl& url) {
    return g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
}

UrlOpener InstallUrlOpener(UrlOpener opener) {
    std::swap(g_opener, opener);
    return opener;
}
