// The client library's process-wide state: what the load fixed (installation,
// catalogue, debug mode), the cross-process mutex and the library lock, the
// client context of an open initialisation, the log name and log id that
// forwarded lines carry, and the client end of the monitor pipe.
#pragma once

#include "InstallLocation.h"
#include "LibraryLock.h"
#include "TimeStamp.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The open attachment of this process, from a successful initialisation until
// clean-up. It keeps the arguments for reference; nothing reads them back.
struct ClientContext
{
    std::int32_t lApplicationId = 0;
    std::string strApplicationPath;
    std::string strClientInfo;
    std::int32_t lOption = 0; // ZOVLC_InitializeEx's fourth argument; 0 otherwise
};

class CClientState
{
public:
    CClientState() = default;
    CClientState(const CClientState&) = delete;
    CClientState& operator=(const CClientState&) = delete;

    // ---- fixed while the library loads -------------------------------------------
    bool m_bInstallationMissing = false;
    bool m_bDebugMode = false;
    std::string m_strCatalogueFile;
    std::string m_strCatalogueSection;

    // ---- from InitInstance to ExitInstance ----------------------------------------
    HANDLE m_hMonitorMutex = nullptr; // "ZOVQUORRA", opened only; null without a monitor
    CLibraryLock m_libraryLock;

    // ---- under the library lock ----------------------------------------------------
    bool m_bContextOpen = false;
    ClientContext m_context;
    char m_szLogName[Install::kMaxFname] = ""; // the application name in log lines
    std::int32_t m_lLogId = 0;                 // long line layout once not 0
    Protocol::CTimeStampCache m_stampCache;    // the stamp of forwarded lines

    // ---- the pipe --------------------------------------------------------------------
    // None (null) until the first open attempt; then whatever the last attempt
    // returned, the invalid-handle value included; none again after a failed write.
    // Never closed by an exchange; a new connection closes the one it replaces.
    std::atomic<HANDLE> m_hPipe{nullptr};
    // The handle a failed write cleared, kept aside (another thread may still be
    // inside an exchange on it) and closed when a new connection is opened.
    std::atomic<HANDLE> m_hRetiredPipe{nullptr};
};

// The one instance, constructed on first use (the application object uses it
// while the library loads, before other globals of the library are built).
CClientState& ClientState();

// Opens the client context unless one is open (false then), under the library lock.
bool OpenClientContext(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                       std::int32_t lOption);
// Closes the client context if one is open, under the library lock.
void CloseClientContext();
bool IsClientContextOpen();

// Sets the log name (the application name of pszApplicationPath) and the log id,
// under the library lock.
void SetLogIdentity(const char* pszApplicationPath, std::int32_t lLogId);

// The file-name part of a path without directory and extension: "tool" for
// "C:\apps\tool.exe", the path itself when it has neither. Empty for a null path
// and for a path whose components exceed the run-time library's buffers.
void ApplicationNameOf(const char* pszPath, char (&szName)[Install::kMaxFname]);
