#pragma once

#include <QString>

// The folder for working files: TEMP when set, else TMPDIR, else /tmp. No trailing separator
// is added or removed.
QString TempFolder();

// The folder for working files that show the user's pictures (the preview): TEMP or TMPDIR
// when the user set one, else a folder of our own that no other user can enter, for /tmp is
// shared by everyone on the machine. Empty when there is none.
QString PrivateTempFolder();
