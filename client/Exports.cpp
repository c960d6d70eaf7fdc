// The library's exported functions. Decisions that hosts may rely on:
//  - the goodbye ends the pipe connection; a new initialisation after
//    ZOVLC_CleanUp opens a new one;
//  - the COM initialisation of a thread that initialises the library is never
//    undone: the library cannot know whether the host relies on it.
#include "varnel.h"

#include "ClientState.h"
#include "PipeClient.h"
#include "TimeLimits.h"

#include <objbase.h>

namespace
{

// Looks for the monitor, and has COM start it, only when a monitor can qualify:
// with an empty "Location" the library talks to no monitor, so one started for it
// would serve nobody. The thread is made ready for COM either way.
PipeClient::MonitorProbe LookForMonitor()
{
    if (ClientState().m_strMonitorProgram.empty())
    {
        CoInitialize(nullptr);
        return PipeClient::MonitorProbe::kNone;
    }
    return ProbeMonitor();
}

// The installation-missing and already-open tests that both initialisations make first.
int PreliminaryResult()
{
    if (ClientState().m_bInstallationMissing)
        return ZOVLC_NOT_INSTALLED;
    if (IsClientContextOpen())
        return ZOVLC_ALREADY_INITIALIZED;
    return ZOVLC_OK;
}

bool AreArgumentsValid(int applicationId, const char* applicationPath)
{
    return applicationPath != nullptr && applicationId != 0;
}

} // namespace

extern "C" int __cdecl ZOVLC_Initialize(int applicationId, const char* applicationPath,
                                        const char* clientInfo)
{
    const int nResult = PreliminaryResult();
    if (nResult != ZOVLC_OK)
        return nResult;
    // The monitor is looked for (and possibly started) before the arguments are checked.
    const PipeClient::MonitorProbe probe = LookForMonitor();
    if (!AreArgumentsValid(applicationId, applicationPath))
        return ZOVLC_INVALID_ARGUMENT;
    if (!OpenClientContext(applicationId, applicationPath, clientInfo, 0))
        return ZOVLC_ALREADY_INITIALIZED; // another thread got there first
    ConnectToMonitor(applicationId, applicationPath, clientInfo, probe);
    return ZOVLC_OK;
}

extern "C" int __cdecl ZOVLC_InitializeEx(int applicationId, const char* applicationPath,
                                          const char* clientInfo, int option)
{
    const int nResult = PreliminaryResult();
    if (nResult != ZOVLC_OK)
        return nResult;
    if (!AreArgumentsValid(applicationId, applicationPath))
        return ZOVLC_INVALID_ARGUMENT;
    if (!OpenClientContext(applicationId, applicationPath, clientInfo, option))
        return ZOVLC_ALREADY_INITIALIZED;
    // Set before the monitor is contacted: the start lines carry the long layout.
    SetLogIdentity(applicationPath, applicationId);
    ConnectToMonitor(applicationId, applicationPath, clientInfo, LookForMonitor());
    return ZOVLC_OK;
}

extern "C" void __cdecl ZOVLC_SendLogMessage(const char* text, int kind)
{
    ForwardLogLine(text, kind);
}

extern "C" void __cdecl ZOVLC_CleanUp(void)
{
    // Clean-ups of several host processes follow one another, unless another one
    // takes too long (its monitor may have stopped answering). Whatever the wait
    // reports (an abandoned mutex is owned too), the clean-up goes on.
    const HANDLE hMutex = ClientState().m_hMonitorMutex;
    bool bOwned = false;
    if (hMutex)
    {
        const DWORD dwWait = WaitForSingleObject(hMutex, TimeLimits::kCleanUpMutexMs);
        bOwned = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED;
    }
    SendTerminateToMonitor();
    if (bOwned)
        ReleaseMutex(hMutex);
}

extern "C" int __stdcall PASCAL_ZOVLC_Initialize(int applicationId, const char* applicationPath,
                                                 const char* clientInfo)
{
    return ZOVLC_Initialize(applicationId, applicationPath, clientInfo);
}

extern "C" int __stdcall PASCAL_ZOVLC_InitializeEx(int applicationId, const char* applicationPath,
                                                   const char* clientInfo, int option)
{
    return ZOVLC_InitializeEx(applicationId, applicationPath, clientInfo, option);
}

extern "C" void __stdcall PASCAL_ZOVLC_SendLogMessage(const char* text, int kind)
{
    ZOVLC_SendLogMessage(text, kind);
}

extern "C" void __stdcall PASCAL_ZOVLC_CleanUp(void)
{
    ZOVLC_CleanUp();
}
