#pragma once

#include <QString>

// A folder only this user may enter, for working files that hold the user's pictures:
// "plenmar/<name>" under $XDG_RUNTIME_DIR, else under the cache folder (~/.cache). Made with
// mode 0700 where missing. One that is there already is taken only when it is a real folder
// (no link) owned by this user, and is closed to others if it was not. Another user can thus
// neither read what is put there nor plant a file or link under a name we are about to use.
// Empty when no such folder can be had; an empty `name` gives "plenmar" itself.
//
// Where files must outlast the session (copies a mail program reads later), `lasting` puts the
// folder under the cache folder in any case.
QString PrivateFolder(const QString& name = {}, bool lasting = false);

// A new, empty folder of its own in PrivateFolder(name): for files that must keep a given
// name (a mail attachment) without ever meeting another file of that name. Removing it and
// what is in it is the caller's. Empty when none can be made.
QString NewPrivateFolder(const QString& name);
