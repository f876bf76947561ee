#include "SimpleMapi.h"

#include <QDir>
#include <QLoggingCategory>

#include "MailProvider.h"
#include "platform/emulation/Prompts.h"

// Traces for whoever looks into why no mail goes out; off unless asked for with
// QT_LOGGING_RULES="plenmar.mail.debug=true".
Q_LOGGING_CATEGORY(lcMail, "plenmar.mail", QtInfoMsg)

namespace {

struct FullPath {
    QString path;
    QString fileName;  // what follows the last separator
};

// Lexically, as the system resolves a path: against the current folder, without looking
// whether the file is there. An empty path resolves to nothing.
std::optional<FullPath> ResolveFullPath(const QString& path) {
    if (path.isEmpty() || path.contains(QChar(0))) {
        return std::nullopt;
    }
    FullPath full;
    full.path = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    full.fileName = full.path.mid(full.path.lastIndexOf(QLatin1Char('/')) + 1);
    return full;
}

void Tell(const QString& text) {
    CurrentPrompts().ShowMessage(
        {QStringLiteral("Plenmar"), text, MessageButtons::Ok, MessageIcon::Warning});
}

// What the user reads of a failed send: the published text of its code, but in German where
// the user can do something about it.
QString ShownText(ULONG code) {
    switch (code) {
        case MAPI_E_TEXT_TOO_LARGE:
            return QStringLiteral(
                "Betreff und Text der Mail sind zu lang für das Mailprogramm; es wurde nichts "
                "versendet.\nxdg-email übergibt sie ihm in einer Befehlszeile von höchstens "
                "128 KiB, in der ein Satz- oder Leerzeichen drei Bytes braucht und ein Umlaut "
                "sechs. Kürzen Sie den Text unter „Optionen“, „Maileinstellung“.");
        case MAPI_E_TOO_MANY_FILES:
            return QStringLiteral(
                "Die Mail hat zu viele Anhänge für das Mailprogramm; es wurde nichts versendet.\n"
                "xdg-email übergibt ihm ihre Namen in einer Befehlszeile von höchstens 128 KiB. "
                "Versenden Sie die Bilder auf mehrere Mails verteilt.");
        default:
            return CSimpleMapi::ErrorText(code);
    }
}

template <typename Entry>
void Resolve(const MailLibrary* library, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(MailLibraryEntry(library, name));
}

}  // namespace

CSimpleMapi::CSimpleMapi(const char* library) : m_library(library) {}

std::unique_lock<std::recursive_mutex> CSimpleMapi::Lock() {
    return std::unique_lock(m_lock);
}

int CSimpleMapi::IsMapiInstalled() {
    qCDebug(lcMail) << "Looking for xdg-email on PATH:" << qEnvironmentVariable("PATH");
    const bool installed = MailProgramInstalled();
    qCDebug(lcMail) << (installed ? "MAPI is installed." : "MAPI is not installed.");
    return installed ? 0 : 1;
}

int CSimpleMapi::LoadMapi() {
    std::lock_guard lock(m_lock);
    if (const int installed = IsMapiInstalled(); installed != 0) {
        return installed;
    }
    const MailLibrary* library = LoadMailLibrary(m_library.constData());
    Resolve(library, "MAPILogon", m_MAPILogon);
    Resolve(library, "MAPISendMail", m_MAPISendMail);
    Resolve(library, "MAPISendDocuments", m_MAPISendDocuments);
    Resolve(library, "MAPIFindNext", m_MAPIFindNext);
    Resolve(library, "MAPIReadMail", m_MAPIReadMail);
    Resolve(library, "MAPIResolveName", m_MAPIResolveName);
    Resolve(library, "MAPIAddress", m_MAPIAddress);
    Resolve(library, "MAPILogoff", m_MAPILogoff);
    Resolve(library, "MAPIFreeBuffer", m_MAPIFreeBuffer);
    Resolve(library, "MAPIDetails", m_MAPIDetails);
    Resolve(library, "MAPISaveMail", m_MAPISaveMail);
    return 0;
}

void CSimpleMapi::AddAttachment(const QString& path, ULONG position) {
    std::lock_guard lock(m_lock);
    const std::optional<FullPath> full = ResolveFullPath(path);
    if (!full) {
        Tell(QStringLiteral("Anhang '%1' kann nicht gefunden werden").arg(path));
        return;
    }
    // Pictures with one result name give one file: the mail carries it once.
    const QByteArray wanted = full->path.toUtf8();
    for (const auto& attached : m_attachmentTexts) {
        if (attached.second == wanted) {
            return;
        }
    }
    auto& [fileName, fullPath] = m_attachmentTexts.emplace_back(full->fileName.toUtf8(), wanted);
    MapiFileDesc file{};
    file.nPosition = position;
    file.lpszPathName = fullPath.data();
    file.lpszFileName = fileName.data();
    m_attachments.push_back(file);
}

void CSimpleMapi::ClearAttachments() {
    std::lock_guard lock(m_lock);
    m_attachments = {};
    m_attachmentTexts = {};
}

ULONG CSimpleMapi::SendMail(const QString& subject, const QString& text,
                            const std::optional<QString>& recipient) {
    std::lock_guard lock(m_lock);
    const QString folder = QDir::currentPath();
    if (m_MAPILogon == nullptr) {
        LoadMapi();
        if (m_MAPILogon == nullptr) {
            // Nothing was sent: saying nothing would look like success.
            Tell(QStringLiteral(
                "Es konnte kein Mailprogramm erreicht werden, es wurde nichts versendet.\n"
                "Installieren Sie das Paket „xdg-utils“ und richten Sie ein Standard-"
                "Mailprogramm ein (zum Beispiel Thunderbird oder Evolution)."));
            return MAPI_E_FAILURE;
        }
    }
    LHANDLE session = 0;
    // Its result does not matter: without a session the mail program opens one of its own.
    m_MAPILogon(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &session);

    MapiRecipDesc to{};
    QByteArray name;
    QByteArray address;
    if (recipient) {
        name = recipient->toUtf8();
        address = (QStringLiteral("SMTP:") + *recipient).left(1024).toUtf8();
        to.ulRecipClass = MAPI_TO;
        to.lpszName = name.data();
        to.lpszAddress = address.data();
        m_message.nRecipCount = 1;
        m_message.lpRecips = &to;
    }
    QByteArray subjectText = subject.toUtf8();
    QByteArray noteText = text.toUtf8();
    m_message.lpszSubject = subjectText.data();
    m_message.lpszNoteText = noteText.data();
    m_message.nFileCount = static_cast<ULONG>(m_attachments.size());
    m_message.lpFiles = m_attachments.empty() ? nullptr : m_attachments.data();

    const ULONG result = m_MAPISendMail != nullptr
                             ? m_MAPISendMail(session, 0, &m_message, MAPI_DIALOG, 0)
                             : MAPI_E_FAILURE;
    m_message = {};  // its texts go now
    if (result != SUCCESS_SUCCESS) {
        Tell(ShownText(result));
    }
    ClearAttachments();
    if (m_MAPILogoff != nullptr) {
        m_MAPILogoff(session, 0, 0, 0);
    }
    // The mail program may have moved the process to another folder.
    QDir::setCurrent(folder);
    return result;
}

QString CSimpleMapi::ErrorText(ULONG code) {
    switch (code) {
        case MAPI_USER_ABORT:
            return QStringLiteral("Vorgang duch Benutzer abgebrochen");
        case MAPI_E_FAILURE:
            return QStringLiteral(
                "One or more unspecified errors occurred. No message was sent.\r\n");
        case MAPI_E_LOGON_FAILURE:
            return QStringLiteral(
                "There was no default logon, and the user failed to log on successfully when "
                "the logon dialog box was displayed. No message was sent.\r\n");
        case MAPI_E_INSUFFICIENT_MEMORY:
            return QStringLiteral(
                "There was insufficient memory to proceed. No message was sent.\r\n");
        case MAPI_E_TOO_MANY_FILES:
            return QStringLiteral("There were too many file attachments. No message was sent.\r\n");
        case MAPI_E_TOO_MANY_RECIPIENTS:
            return QStringLiteral("There were too many recipients. No message was sent.\r\n");
        case MAPI_E_ATTACHMENT_NOT_FOUND:
            return QStringLiteral(
                "The specified attachment was not found. No message was sent.\r\n");
        case MAPI_E_ATTACHMENT_OPEN_FAILURE:
            return QStringLiteral(
                "The specified attachment could not be opened. No message was sent.\r\n");
        case MAPI_E_UNKNOWN_RECIPIENT:
            return QStringLiteral(
                "A recipient did not appear in the address list. No message was sent.\r\n");
        case MAPI_E_BAD_RECIPTYPE:
            return QStringLiteral(
                "The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC. No message was "
                "sent.\r\n");
        case MAPI_E_TEXT_TOO_LARGE:
            return QStringLiteral(
                "The text in the message was too large. No message was sent.\r\n");
        case MAPI_E_AMBIGUOUS_RECIPIENT:
            return QStringLiteral(
                "A recipient matched more than one of the recipient descriptor structures and "
                "MAPI_DIALOG was not set. No message was sent.\r\n");
        case MAPI_E_INVALID_RECIPS:
            return QStringLiteral(
                "One or more recipients were invalid or did not resolve to any address.\r\n");
        default:
            return QStringLiteral("Unknown error code.\r\n");
    }
}
