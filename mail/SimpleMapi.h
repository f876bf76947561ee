#pragma once

#include <QByteArray>
#include <QString>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "Mapi.h"

// Hands one message with file attachments at a time to the user's mail program through
// Simple MAPI. The program never addresses a message: the mail program's own compose window
// asks for the recipients. The library is loaded on the first send and kept from then on.
//
// Threads: the window's commands and its worker (a folder run) may both send. A message is
// its ClearAttachments and AddAttachment calls and its SendMail together; a caller holds
// Lock() across all of them, so that no one else's attachments slip in or get cleared away:
//
//     const auto message = mail.Lock();
//     mail.ClearAttachments();
//     mail.AddAttachment(path, 0xFFFFFFFF);
//     mail.SendMail(subject, text);
//
// Every method takes the same (recursive) lock by itself as well. SendMail waits for the
// mail program, with some programs until they are closed: call it off the GUI thread, never
// hold the lock on the GUI thread while it waits for the worker, and install a
// MailWaitInterrupt (MailProvider.h) on the sending thread so that a closing window
// need not wait for the mail program.
class CSimpleMapi {
public:
    // `library` names the provider to load; the system's own unless a test gives another.
    explicit CSimpleMapi(const char* library = "MAPI32.DLL");
    CSimpleMapi(const CSimpleMapi&) = delete;
    CSimpleMapi& operator=(const CSimpleMapi&) = delete;

    [[nodiscard]] std::unique_lock<std::recursive_mutex> Lock();

    // 0 when a mail program can be reached, 1 when not.
    int IsMapiInstalled();
    // 0 once loaded, else what IsMapiInstalled said (nothing is loaded then).
    int LoadMapi();
    // Adds the file as the next attachment under its full path (resolved against the current
    // folder now; not checked for existence) and its bare name. `position` goes to the
    // descriptor's nPosition; 0xFFFFFFFF places the file outside the text. A file already
    // attached under the same full path is not attached again.
    void AddAttachment(const QString& path, ULONG position);
    void ClearAttachments();
    // Sends the attachments gathered so far with this subject and text and clears them;
    // failures are told to the user. A Simple MAPI result code, 0 on success.
    ULONG SendMail(const QString& subject, const QString& text,
                   const std::optional<QString>& recipient = std::nullopt);
    static QString ErrorText(ULONG code);

private:
    std::recursive_mutex m_lock;
    const QByteArray m_library;

    LPMAPILOGON m_MAPILogon = nullptr;
    LPMAPILOGOFF m_MAPILogoff = nullptr;
    LPMAPISENDMAIL m_MAPISendMail = nullptr;
    LPMAPISENDDOCUMENTS m_MAPISendDocuments = nullptr;
    LPMAPIFINDNEXT m_MAPIFindNext = nullptr;
    LPMAPIREADMAIL m_MAPIReadMail = nullptr;
    LPMAPIRESOLVENAME m_MAPIResolveName = nullptr;
    LPMAPIADDRESS m_MAPIAddress = nullptr;
    LPMAPIFREEBUFFER m_MAPIFreeBuffer = nullptr;
    LPMAPIDETAILS m_MAPIDetails = nullptr;
    LPMAPISAVEMAIL m_MAPISaveMail = nullptr;

    // (file name, full path) per attachment. The descriptors point into these texts: a
    // QByteArray keeps its text in place when the list grows and moves it.
    std::vector<std::pair<QByteArray, QByteArray>> m_attachmentTexts;
    std::vector<MapiFileDesc> m_attachments;
    MapiMessage m_message{};
};
