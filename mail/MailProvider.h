#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <utility>

// Our stand-in for the system's Simple MAPI library: a library of entry points looked up by
// name, as a client looks them up in a loaded library. The one built in, "MAPI32.DLL", hands
// each message to the user's mail program through xdg-email (package xdg-utils), which shows
// the program's own compose window. Only MAPILogon, MAPISendMail and MAPILogoff do anything;
// the other entry points answer MAPI_E_NOT_SUPPORTED.
//
// Mail programs read the attachments after xdg-email has returned, so each attachment is
// handed over as a copy in a staging folder of our own (MailStagingFolder()), which outlives
// the send; copies older than a day are removed at a later send and at start.
//
// xdg-email returns only when a mail program it had to start is closed. A send waits for it
// two seconds at most: a program that has not failed by then has the message, and is reaped
// in the background; a failure it reports later is told as a notice.

struct MailLibrary;
// What a lookup gives; cast it to the entry point's type from Mapi.h.
using MailProc = void (*)();

// Whether a mail program can be reached: xdg-email is on PATH.
bool MailProgramInstalled();

// The library of that name, loaded for the rest of the program's life; null when there is
// none.
const MailLibrary* LoadMailLibrary(const char* name);
// The entry point of that name, or null.
MailProc MailLibraryEntry(const MailLibrary* library, const char* name);
// Makes a library of entry points known under a new name (a provider of tests, for instance);
// false when the name is taken.
bool RegisterMailLibrary(const char* name,
                         std::initializer_list<std::pair<const char*, MailProc>> entries);

// Where the copies handed to mail programs are kept: plenmar/mail in the user's cache folder,
// closed to other users. Empty when it cannot be had.
QString MailStagingFolder();
// Removes staged copies older than a day: their mail programs have read them long ago.
void RemoveOldMailCopies();

// While one exists on a thread, a send from that thread stops waiting for the mail program as
// soon as `stop` says so: the message counts as handed over, and xdg-email is left to run and
// reaped in the background. Some mail programs keep xdg-email waiting until they are
// closed; a window that closes must not wait for that.
class MailWaitInterrupt {
public:
    explicit MailWaitInterrupt(std::function<bool()> stop);
    ~MailWaitInterrupt();
    MailWaitInterrupt(const MailWaitInterrupt&) = delete;
    MailWaitInterrupt& operator=(const MailWaitInterrupt&) = delete;

    // Whether the innermost interrupt of this thread says stop.
    static bool Stopping();

private:
    std::function<bool()> m_stop;
    MailWaitInterrupt* m_outer;
};
