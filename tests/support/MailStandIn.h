#pragma once

#include <QStringList>

class TestFolder;

// Stands in for xdg-email: keeps its arguments (each ending in a NUL) and a copy of every
// attachment as xdg-email saw it, notes each call with its number of attachments, and ends
// as the file "status" says ("crash", "wait", "linger", "late-failure" or an exit status).
// It also makes of the attachments what Debian 12's xdg-email hands Thunderbird.
// It goes into `bin`, which is put first on PATH; the caller restores PATH.
void InstallMailStandIn(const TestFolder& bin);
// The files Thunderbird would attach, as Debian 12's xdg-email passes them in its last call.
QStringList MailStandInThunderbirdAttachments(const TestFolder& bin);
// The arguments of the stand-in's last call.
QStringList MailStandInArguments(const TestFolder& bin);
