#pragma once

#include <QUrl>
#include <functional>

// Opens a page or document in the user's own program for it, as the desktop does on a
// double click. Tests install an opener of their own and see what would have been opened.
using UrlOpener = std::function<bool(const QUrl&)>;

// False when no program could be started for it. The desktop's xdg-open may stay until the
// browser it started is closed, so it is not waited for: a failure it reports (no browser,
// for one) is told to `failedLater`, on a thread of its own.
bool OpenUrl(const QUrl& url, std::function<void()> failedLater = {});
// Installs `opener` (empty restores the desktop's) and returns the one it replaces. GUI
// thread only.
UrlOpener InstallUrlOpener(UrlOpener opener);
