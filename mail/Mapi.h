#pragma once

// Simple MAPI as published: the structures, flags, result codes and entry-point types that a
// mail client and a mail provider agree on. Texts are UTF-8 here. Declarations only, so the
// provider (`MailProvider`) shares them without depending on the client.

#include <cstdint>

using ULONG = std::uint32_t;
using FLAGS = ULONG;
using ULONG_PTR = std::uintptr_t;
using LHANDLE = ULONG_PTR;
using LPLHANDLE = LHANDLE*;
using LPSTR = char*;

struct MapiFileDesc {
    ULONG ulReserved;
    ULONG flFlags;
    ULONG nPosition;  // 0xFFFFFFFF: not placed in the text
    LPSTR lpszPathName;
    LPSTR lpszFileName;
    void* lpFileType;
};
using lpMapiFileDesc = MapiFileDesc*;

struct MapiRecipDesc {
    ULONG ulReserved;
    ULONG ulRecipClass;
    LPSTR lpszName;
    LPSTR lpszAddress;
    ULONG ulEIDSize;
    void* lpEntryID;
};
using lpMapiRecipDesc = MapiRecipDesc*;

struct MapiMessage {
    ULONG ulReserved;
    LPSTR lpszSubject;
    LPSTR lpszNoteText;
    LPSTR lpszMessageType;
    LPSTR lpszDateReceived;
    LPSTR lpszConversationID;
    FLAGS flFlags;
    lpMapiRecipDesc lpOriginator;
    ULONG nRecipCount;
    lpMapiRecipDesc lpRecips;
    ULONG nFileCount;
    lpMapiFileDesc lpFiles;
};
using lpMapiMessage = MapiMessage*;

// Recipient classes.
constexpr ULONG MAPI_ORIG = 0;
constexpr ULONG MAPI_TO = 1;
constexpr ULONG MAPI_CC = 2;
constexpr ULONG MAPI_BCC = 3;

// Flags.
constexpr FLAGS MAPI_LOGON_UI = 0x00000001;
constexpr FLAGS MAPI_NEW_SESSION = 0x00000002;
constexpr FLAGS MAPI_DIALOG = 0x00000008;
constexpr FLAGS MAPI_FORCE_DOWNLOAD = 0x00001000;

// Result codes.
constexpr ULONG SUCCESS_SUCCESS = 0;
constexpr ULONG MAPI_USER_ABORT = 1;
constexpr ULONG MAPI_E_FAILURE = 2;
constexpr ULONG MAPI_E_LOGIN_FAILURE = 3;
constexpr ULONG MAPI_E_LOGON_FAILURE = MAPI_E_LOGIN_FAILURE;
constexpr ULONG MAPI_E_DISK_FULL = 4;
constexpr ULONG MAPI_E_INSUFFICIENT_MEMORY = 5;
constexpr ULONG MAPI_E_ACCESS_DENIED = 6;
constexpr ULONG MAPI_E_TOO_MANY_SESSIONS = 8;
constexpr ULONG MAPI_E_TOO_MANY_FILES = 9;
constexpr ULONG MAPI_E_TOO_MANY_RECIPIENTS = 10;
constexpr ULONG MAPI_E_ATTACHMENT_NOT_FOUND = 11;
constexpr ULONG MAPI_E_ATTACHMENT_OPEN_FAILURE = 12;
constexpr ULONG MAPI_E_ATTACHMENT_WRITE_FAILURE = 13;
constexpr ULONG MAPI_E_UNKNOWN_RECIPIENT = 14;
constexpr ULONG MAPI_E_BAD_RECIPTYPE = 15;
constexpr ULONG MAPI_E_NO_MESSAGES = 16;
constexpr ULONG MAPI_E_INVALID_MESSAGE = 17;
constexpr ULONG MAPI_E_TEXT_TOO_LARGE = 18;
constexpr ULONG MAPI_E_INVALID_SESSION = 19;
constexpr ULONG MAPI_E_TYPE_NOT_SUPPORTED = 20;
constexpr ULONG MAPI_E_AMBIGUOUS_RECIPIENT = 21;
constexpr ULONG MAPI_E_AMBIG_RECIP = MAPI_E_AMBIGUOUS_RECIPIENT;
constexpr ULONG MAPI_E_MESSAGE_IN_USE = 22;
constexpr ULONG MAPI_E_NETWORK_FAILURE = 23;
constexpr ULONG MAPI_E_INVALID_EDITFIELDS = 24;
constexpr ULONG MAPI_E_INVALID_RECIPS = 25;
constexpr ULONG MAPI_E_NOT_SUPPORTED = 26;

// The eleven entry points.
using LPMAPILOGON = ULONG (*)(ULONG_PTR ulUIParam, LPSTR lpszProfileName, LPSTR lpszPassword,
                              FLAGS flFlags, ULONG ulReserved, LPLHANDLE lplhSession);
using LPMAPILOGOFF = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, FLAGS flFlags,
                               ULONG ulReserved);
using LPMAPISENDMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage,
                                 FLAGS flFlags, ULONG ulReserved);
using LPMAPISENDDOCUMENTS = ULONG (*)(ULONG_PTR ulUIParam, LPSTR lpszDelimChar, LPSTR lpszFilePaths,
                                      LPSTR lpszFileNames, ULONG ulReserved);
using LPMAPIFINDNEXT = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageType,
                                 LPSTR lpszSeedMessageID, FLAGS flFlags, ULONG ulReserved,
                                 LPSTR lpszMessageID);
using LPMAPIREADMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszMessageID,
                                 FLAGS flFlags, ULONG ulReserved, lpMapiMessage* lppMessage);
using LPMAPIRESOLVENAME = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszName,
                                    FLAGS flFlags, ULONG ulReserved, lpMapiRecipDesc* lppRecip);
using LPMAPIADDRESS = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, LPSTR lpszCaption,
                                ULONG nEditFields, LPSTR lpszLabels, ULONG nRecips,
                                lpMapiRecipDesc lpRecips, FLAGS flFlags, ULONG ulReserved,
                                ULONG* lpnNewRecips, lpMapiRecipDesc* lppNewRecips);
using LPMAPIFREEBUFFER = ULONG (*)(void* pv);
using LPMAPIDETAILS = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiRecipDesc lpRecip,
                                FLAGS flFlags, ULONG ulReserved);
using LPMAPISAVEMAIL = ULONG (*)(LHANDLE lhSession, ULONG_PTR ulUIParam, lpMapiMessage lpMessage,
                                 FLAGS flFlags, ULONG ulReserved, LPSTR lpszMessageID);
