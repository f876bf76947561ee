#pragma once

#include <QUrl>
#include <functional>

// Opens a page or document in the user's own program for it, as the desktop does on a
// double click. Tests install an opener of their own and see what would have been opened.
using UrlOpener = std::function<bool(const QUrl&)>;

bool OpenUrl(const QUrl& url);
// Installs `opener` (empty restores the desktop's) and returns the one it replaces. GUI
// thread only.
UrlOpener InstallUrlOpener(UrlOpener opener);
