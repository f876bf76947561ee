#include "MailProvider.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "Mapi.h"
#include "XdgEmail.h"
#include "platform/emulation/Prompts.h"
#include "platform/files/OutputFile.h"
#include "platform/files/PrivateFolder.h"
#include "platform/processes/SpawnAndWait.h"

struct MailLibrary {
    std::map<std::string, MailProc, std::less<>> entries;
};

namespace {

thread_local MailWaitInterrupt* t_interrupt = nullptr;

QString Text(const char* text) {
    return text != nullptr ? QString::fromUtf8(text) : QString();
}

QString XdgEmail() {
    return QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
}

// Staged copies older than a day: their mail programs have read them long ago.
void RemoveOldCopies(const QString& staging) {
    const QDateTime dayAgo = QDateTime::currentDateTimeUtc().addDays(-1);
    const QFileInfoList entries = QDir(staging).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (entry.lastModified() >= dayAgo) {
            continue;
        }
        if (entry.isDir() && !entry.isSymLink()) {
            QDir(entry.filePath()).removeRecursively();
        } else {
            QFile::remove(entry.filePath());
        }
    }
}

// The name the mail program shows: the descriptor's file name, else the path's, with what
// xdg-email or the mail program would take for something else replaced.
QString AttachedName(const MapiFileDesc& file, const QString& path) {
    const QString name = QFileInfo(Text(file.lpszFileName)).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
        return MailSafeFileName(QFileInfo(path).fileName());
    }
    return MailSafeFileName(name);
}

// Through the programs' one writer, a piece at a time: a copy is complete or not there.
ULONG Copy(QFile& source, const QString& target) {
    OutputFile copy(target);
    if (copy.Stream() == nullptr) {
        return MAPI_E_FAILURE;
    }
    std::vector<char> piece(64 * 1024);
    for (qint64 read = 0; (read = source.read(piece.data(), qint64(piece.size()))) != 0;) {
        if (read < 0) {
            return MAPI_E_ATTACHMENT_OPEN_FAILURE;
        }
        if (std::fwrite(piece.data(), 1, std::size_t(read), copy.Stream()) != std::size_t(read)) {
            return MAPI_E_FAILURE;
        }
    }
    return copy.Commit() ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

// Copies the attachments into a new folder of the staging folder, `folder`, one copy under
// each attachment's name (a name that comes twice goes into a subfolder of its own).
ULONG Stage(const MapiMessage& message, QStringList& copies, QString& folderPath) {
    for (ULONG i = 0; i < message.nFileCount; ++i) {
        if (!QFileInfo(Text(message.lpFiles[i].lpszPathName)).isFile()) {
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        }
    }
    if (message.nFileCount == 0) {
        return SUCCESS_SUCCESS;
    }
    const QString staging = MailStagingFolder();
    if (staging.isEmpty()) {
        return MAPI_E_FAILURE;
    }
    RemoveOldCopies(staging);
    QTemporaryDir folder(staging + QStringLiteral("/XXXXXX"));
    if (!folder.isValid()) {
        return MAPI_E_FAILURE;
    }
    QSet<QString> names;
    for (ULONG i = 0; i < message.nFileCount; ++i) {
        const QString path = Text(message.lpFiles[i].lpszPathName);
        const QString name = AttachedName(message.lpFiles[i], path);
        QString target = folder.filePath(name);
        if (names.contains(name)) {
            const QString own = folder.filePath(QString::number(i));
            if (!QDir().mkpath(own)) {
                return MAPI_E_FAILURE;
            }
            target = own + QLatin1Char('/') + name;
        }
        names.insert(name);
        QFile source(path);
        if (!source.open(QIODevice::ReadOnly)) {
            return MAPI_E_ATTACHMENT_OPEN_FAILURE;
        }
        if (const ULONG copied = Copy(source, target); copied != SUCCESS_SUCCESS) {
            return copied;
        }
        copies << target;
    }
    folder.setAutoRemove(false);
    folderPath = folder.path();
    return SUCCESS_SUCCESS;
}

ULONG ResultOf(const ProgramExit& ended) {
    switch (ended.how) {
        case ProgramExit::How::Abandoned:
        case ProgramExit::How::HandedOff:
            return SUCCESS_SUCCESS;  // handed over; the mail program is no longer waited for
        case ProgramExit::How::NotStarted:
        case ProgramExit::How::Crashed:
            return MAPI_E_FAILURE;
        case ProgramExit::How::Exited:
            break;
    }
    switch (ended.code) {
        case 0:
            return SUCCESS_SUCCESS;
        case 2:  // a file does not exist
            return MAPI_E_ATTACHMENT_NOT_FOUND;
        case 5:  // no permission to read a file
            return MAPI_E_ATTACHMENT_OPEN_FAILURE;
        default:  // 1 wrong use, 3 no tool for the job, 4 the mail program failed
            return MAPI_E_FAILURE;
    }
}

// The attachments are staged copies, so once xdg-email runs and has not failed at once,
// nothing is left to wait for: a mail program it started may stay open for hours.
constexpr std::chrono::milliseconds kHandOverWait{2000};

ULONG RunXdgEmail(const QString& program, const QStringList& arguments) {
    return ResultOf(SpawnAndHandOff(
        program, arguments, kHandOverWait,
        [](const ProgramExit& ended) {
            if (ResultOf(ended) != SUCCESS_SUCCESS) {
                CurrentPrompts().ShowMessage(
                    {QStringLiteral("Plenmar"),
                     QStringLiteral("Das Mailprogramm hat die Mail nachträglich abgelehnt "
                                    "(xdg-email endete mit Status %1). Bitte versenden Sie "
                                    "das Bild noch einmal.")
                         .arg(ended.code),
                     MessageButtons::Ok, MessageIcon::Warning});
            }
        },
        &MailWaitInterrupt::Stopping));
}

// Recipients as xdg-email takes them: "To" as plain addresses, the others after --cc and
// --bcc. The address without its "SMTP:", else the name.
ULONG AddRecipients(const MapiMessage& message, QStringList& arguments) {
    QStringList to;
    for (ULONG i = 0; i < message.nRecipCount; ++i) {
        const MapiRecipDesc& recipient = message.lpRecips[i];
        QString address = Text(recipient.lpszAddress);
        if (address.startsWith(QLatin1String("SMTP:"), Qt::CaseInsensitive)) {
            address.remove(0, 5);
        }
        if (address.isEmpty()) {
            address = Text(recipient.lpszName);
        }
        switch (recipient.ulRecipClass) {
            case MAPI_TO:
                to << address;
                break;
            case MAPI_CC:
                arguments << QStringLiteral("--cc") << address;
                break;
            case MAPI_BCC:
                arguments << QStringLiteral("--bcc") << address;
                break;
            default:
                return MAPI_E_BAD_RECIPTYPE;
        }
    }
    arguments << to;
    return SUCCESS_SUCCESS;
}

ULONG SendMail(LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS, ULONG) {
    if (message == nullptr || (message->nFileCount > 0 && message->lpFiles == nullptr) ||
        (message->nRecipCount > 0 && message->lpRecips == nullptr)) {
        return MAPI_E_INVALID_MESSAGE;
    }
    const QString program = XdgEmail();
    if (program.isEmpty()) {
        return MAPI_E_FAILURE;
    }
    // xdg-email refuses an empty --subject or --body: an empty text is left out instead.
    QStringList arguments{QStringLiteral("--utf8")};
    const QString subject = Text(message->lpszSubject);
    if (!subject.isEmpty()) {
        arguments << QStringLiteral("--subject") << subject;
    }
    const QString body = Text(message->lpszNoteText);
    if (!body.isEmpty()) {
        arguments << QStringLiteral("--body") << body;
    }
    QStringList recipients;
    if (const ULONG added = AddRecipients(*message, recipients); added != SUCCESS_SUCCESS) {
        return added;
    }
    // What does not fit into one argument would make xdg-email fail after it has started,
    // with no word of why.
    if (XdgEmailAddress(arguments + recipients).size() > kLongestMailAddress) {
        return MAPI_E_TEXT_TOO_LARGE;
    }
    QStringList copies;
    QString staged;
    if (const ULONG result = Stage(*message, copies, staged); result != SUCCESS_SUCCESS) {
        return result;
    }
    for (const QString& copy : copies) {
        arguments << QStringLiteral("--attach") << copy;
    }
    arguments << recipients;
    if (XdgEmailAddress(arguments).size() > kLongestMailAddress) {
        QDir(staged).removeRecursively();
        return MAPI_E_TOO_MANY_FILES;
    }
    return RunXdgEmail(program, arguments);
}

ULONG Logon(ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG, LPLHANDLE session) {
    static std::atomic<LHANDLE> sessions{0};
    if (session == nullptr) {
        return MAPI_E_FAILURE;
    }
    *session = ++sessions;
    return SUCCESS_SUCCESS;
}

ULONG Logoff(LHANDLE, ULONG_PTR, FLAGS, ULONG) {
    return SUCCESS_SUCCESS;
}

template <typename Entry>
MailProc Proc(Entry entry) {
    return reinterpret_cast<MailProc>(entry);
}

MailLibrary BuiltIn() {
    MailLibrary library;
    library.entries = {
        {"MAPILogon", Proc<LPMAPILOGON>(Logon)},
        {"MAPISendMail", Proc<LPMAPISENDMAIL>(SendMail)},
        {"MAPISendDocuments",
         Proc<LPMAPISENDDOCUMENTS>(
             [](ULONG_PTR, LPSTR, LPSTR, LPSTR, ULONG) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
        {"MAPIFindNext", Proc<LPMAPIFINDNEXT>([](LHANDLE, ULONG_PTR, LPSTR, LPSTR, FLAGS, ULONG,
                                                 LPSTR) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
        {"MAPIReadMail",
         Proc<LPMAPIREADMAIL>([](LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG, lpMapiMessage*) -> ULONG {
             return MAPI_E_NOT_SUPPORTED;
         })},
        {"MAPIResolveName",
         Proc<LPMAPIRESOLVENAME>([](LHANDLE, ULONG_PTR, LPSTR, FLAGS, ULONG,
                                    lpMapiRecipDesc*) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
        {"MAPIAddress",
         Proc<LPMAPIADDRESS>([](LHANDLE, ULONG_PTR, LPSTR, ULONG, LPSTR, ULONG, lpMapiRecipDesc,
                                FLAGS, ULONG, ULONG*,
                                lpMapiRecipDesc*) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
        {"MAPILogoff", Proc<LPMAPILOGOFF>(Logoff)},
        {"MAPIFreeBuffer", Proc<LPMAPIFREEBUFFER>([](void*) -> ULONG { return SUCCESS_SUCCESS; })},
        {"MAPIDetails", Proc<LPMAPIDETAILS>([](LHANDLE, ULONG_PTR, lpMapiRecipDesc, FLAGS,
                                               ULONG) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
        {"MAPISaveMail", Proc<LPMAPISAVEMAIL>([](LHANDLE, ULONG_PTR, lpMapiMessage, FLAGS, ULONG,
                                                 LPSTR) -> ULONG { return MAPI_E_NOT_SUPPORTED; })},
    };
    return library;
}

// Libraries once loaded stay, as the system keeps a library that is never freed.
std::mutex g_librariesLock;
std::map<std::string, MailLibrary, std::less<>>& Libraries() {
    static std::map<std::string, MailLibrary, std::less<>> libraries{{"MAPI32.DLL", BuiltIn()}};
    return libraries;
}

}  // namespace

bool MailProgramInstalled() {
    return !XdgEmail().isEmpty();
}

const MailLibrary* LoadMailLibrary(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    std::lock_guard lock(g_librariesLock);
    const auto found = Libraries().find(std::string_view(name));
    return found != Libraries().end() ? &found->second : nullptr;
}

MailProc MailLibraryEntry(const MailLibrary* library, const char* name) {
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    const auto found = library->entries.find(std::string_view(name));
    return found != library->entries.end() ? found->second : nullptr;
}

bool RegisterMailLibrary(const char* name,
                         std::initializer_list<std::pair<const char*, MailProc>> entries) {
    std::lock_guard lock(g_librariesLock);
    MailLibrary library;
    for (const auto& [entryName, proc] : entries) {
        library.entries.emplace(entryName, proc);
    }
    return Libraries().emplace(name, std::move(library)).second;
}

QString MailStagingFolder() {
    return PrivateFolder(QStringLiteral("mail"), true);
}

void RemoveOldMailCopies() {
    const QString staging = MailStagingFolder();
    if (!staging.isEmpty()) {
        RemoveOldCopies(staging);
    }
}

MailWaitInterrupt::MailWaitInterrupt(std::function<bool()> stop)
    : m_stop(std::move(stop)), m_outer(t_interrupt) {
    t_interrupt = this;
}

MailWaitInterrupt::~MailWaitInterrupt() {
    t_interrupt = m_outer;
}

bool MailWaitInterrupt::Stopping() {
    return t_interrupt != nullptr && t_interrupt->m_stop && t_interrupt->m_stop();
}
