#pragma once

#include <QString>

// The folder for working files: TEMP when set, else TMPDIR, else /tmp. No trailing separator
// is added or removed.
QString TempFolder();
