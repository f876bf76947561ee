#pragma once

#include <QString>

// The help pages ship with the program in share/vistrane/help beside its bin folder, and are
// looked up by one rule: <folder of the running program>/../share/vistrane/help/<page>. The
// build tree copies them to the same place relative to its programs (build/share/...), so the
// rule holds there too.
QString HelpPagePath(const QString& page);

// Opens the page in the user's browser; a page that is missing is told instead.
void OpenHelpPage(const QString& page);
