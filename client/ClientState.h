// The client library's process-wide state: what the load fixed (installation,
// catalogue, debug mode), the cross-process mutex and the library lock, the
// client context of an open initialisation, the log name and log id that
// forwarded lines carry, and the client end of the monitor pipe.
#pragma once

#include "InstallLocation.h"
#include "LibraryLock.h"
#include "TimeStamp.h"

#include <windows.h>

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
    // Set by DllMain when the library is unloaded because the process ends.
    bool m_bProcessExiting = false;
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

    // The installation's monitor program: the only server the library talks to.
    // Empty without an installation directory: then no server is accepted.
    std::string m_strMonitorProgram;

    // ---- the connection, under the library lock ------------------------------------
    // The client end of the monitor pipe, opened for overlapped I/O; null while there
    // is no connection. Only ever used, published and closed under the library lock,
    // so no thread can be inside an exchange on a handle that another one closes.
    HANDLE m_hPipe = nullptr;
    HANDLE m_hIoEvent = nullptr; // the wait of the one exchange under way
    // An initialisation has opened its client context and not yet made its
    // connection: lines do not look for a monitor of their own meanwhile.
    bool m_bConnecting = false;
    bool m_bUnloading = false; // the unload-time goodbye looks for no monitor
    // When the last connection attempt ended or the connection broke: a debug-mode
    // host looks for a monitor again at most once a second after that.
    bool m_bAttempted = false;
    DWORD m_dwLastAttemptTick = 0;
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
