#pragma once

#include <QString>

// A passing notice of the desktop's own (the freedesktop notification service on the session
// bus): what work done without a window tells when it ends. False when no service answered in
// time, so the caller can say it another way.
bool NotifyDesktop(const QString& summary, const QString& body);
