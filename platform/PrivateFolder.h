#pragma once

#include <QString>

// A folder only this user may enter, for working files that hold the user's pictures:
// "plenmar/<name>" under $XDG_RUNTIME_DIR, else under the cache folder (~/.cache). Made with
// mode 0700 where missing. One that is there already is taken only when it is a real folder
// (no link) owned by this user, and is closed to others if it was not. Another user can thus
// neither read what is put there nor plant a file or link under a name we are about to use.
// Empty when no such folder can be had; an empty `name` gives "plenmar" itself.
QString PrivateFolder(const QString& name = {});
