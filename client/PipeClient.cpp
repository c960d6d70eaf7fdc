#include "PipeClient.h"

#include "AppMonIds.h"
#include "BoundedText.h"
#include "CatalogueFormat.h"
#include "ClientCatalogue.h"
#include "ClientState.h"
#include "RequestBuilder.h"
#include "TimeStamp.h"

#include <objbase.h>
#include <oleauto.h>

#include <cstring>

using namespace PipeClient;

namespace
{

bool IsRealHandle(HANDLE h)
{
    return h != nullptr && h != INVALID_HANDLE_VALUE;
}

// Whatever serves the pipe may learn who the host is, but never act as the host:
// without these flags a server, a rogue one squatting the name included, could
// impersonate the host's account.
constexpr DWORD kPipeSecurityFlags = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

HANDLE OpenPipe(DWORD& dwError)
{
    const HANDLE hPipe = CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, kPipeSecurityFlags, nullptr);
    dwError = GetLastError();
    return hPipe;
}

// A handle left from an earlier connection would leak when the new one is stored
// over it: close it, and the one a failed write set aside, before opening anew.
// Under the library lock, so that no log line is being exchanged on it.
void CloseStalePipe()
{
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    const HANDLE hOld = state.m_hPipe.exchange(nullptr);
    const HANDLE hRetired = state.m_hRetiredPipe.exchange(nullptr);
    if (IsRealHandle(hOld))
        CloseHandle(hOld);
    if (IsRealHandle(hRetired) && hRetired != hOld)
        CloseHandle(hRetired);
}

// WaitNamedPipe fails at once while no instance of the pipe exists, so a freshly
// started monitor that has not created its pipe yet would be given up on at the
// first open. Polls until the pipe exists (free or busy) or the time is up.
void WaitForPipeToAppear()
{
    const DWORD dwStart = GetTickCount();
    while (!WaitNamedPipeA(Protocol::kPipeName, 1))
    {
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return; // it exists, every instance busy: the open waits for one
        if (GetTickCount() - dwStart >= kPipeAppearWaitMs)
            return;
        Sleep(kPipeAppearPollMs);
    }
}

void ForwardCatalogueLine(const char* pszKey)
{
    char szText[Catalogue::kTextBufferBytes] = "";
    LookupMessage(pszKey, szText);
    ForwardLogLine(szText, Protocol::kLogInfo);
}

// The eight start lines after an accepted announcement; the third and fourth are
// formats for the application id and the application name.
void ForwardStartLines(std::int32_t lApplicationId, const char* pszApplicationPath)
{
    char szName[Install::kMaxFname];
    ApplicationNameOf(pszApplicationPath, szName);
    for (const char* pszKey : Catalogue::kStartKeys)
    {
        char szText[Catalogue::kTextBufferBytes] = "";
        LookupMessage(pszKey, szText);
        char szLine[Catalogue::kTextBufferBytes];
        if (std::strcmp(pszKey, Catalogue::kStartLineApplicationId) == 0)
            Catalogue::FormatWithInteger(szText, lApplicationId, szLine);
        else if (std::strcmp(pszKey, Catalogue::kStartLineApplicationName) == 0)
            Catalogue::FormatWithString(szText, szName, szLine);
        else
            std::memcpy(szLine, szText, sizeof szLine);
        ForwardLogLine(szLine, Protocol::kLogInfo);
    }
}

// A monitor's object in the running-object table: a monitor runs.
bool IsMonitorRunning()
{
    IUnknown* pUnknown = nullptr;
    if (FAILED(GetActiveObject(CLSID_AppMon, nullptr, &pUnknown)) || !pUnknown)
        return false;
    pUnknown->Release();
    return true;
}

// The monitor's class object from a local server: COM starts a registered monitor
// that is not running and answers once it has offered its class object.
bool RequestMonitorClassObject()
{
    IUnknown* pUnknown = nullptr;
    if (FAILED(CoGetClassObject(CLSID_AppMon, CLSCTX_LOCAL_SERVER, nullptr, IID_IUnknown,
                                reinterpret_cast<void**>(&pUnknown))) ||
        !pUnknown)
        return false;
    pUnknown->Release();
    return true;
}

void SayGoodbye(const char* pszRequest)
{
    ForwardCatalogueLine(Catalogue::kCleanUpStart);
    CloseClientContext();
    ForwardCatalogueLine(Catalogue::kCleanUpEnd);
    char szReply[Protocol::kControlReplyBufferBytes];
    PipeTransact(pszRequest, szReply);
}

} // namespace

int PipeTransact(const char* pszRequest, char* pszReply, std::size_t cbReply)
{
    Protocol::BoundedText reply(pszReply, cbReply);
    CClientState& state = ClientState();
    HANDLE hPipe = state.m_hPipe.load();
    if (hPipe == nullptr)
        return kTransactNoPipe;

    Protocol::RequestBuffer request;
    Protocol::BoundedText requestText(request, sizeof request);
    requestText.Append(pszRequest);
    DWORD cbWritten = 0;
    if (!WriteFile(hPipe, request, static_cast<DWORD>(requestText.Length() + 1), &cbWritten, nullptr))
    {
        // Cleared, not closed: from now on every exchange fails at once. Only this
        // handle is cleared, never one a new connection has stored meanwhile.
        HANDLE hExpected = hPipe;
        if (state.m_hPipe.compare_exchange_strong(hExpected, nullptr))
        {
            const HANDLE hEarlier = state.m_hRetiredPipe.exchange(hPipe);
            if (IsRealHandle(hEarlier) && hEarlier != hPipe)
                CloseHandle(hEarlier);
        }
        return kTransactWriteFailed;
    }

    // One byte more than the longest read, for the terminator.
    char szRead[Protocol::kReplyReadBytes + 1];
    DWORD cbRead = 0;
    while (!ReadFile(hPipe, szRead, Protocol::kReplyReadBytes, &cbRead, nullptr))
    {
        // The rest of an over-long reply is read into the same buffer; its start is dropped.
        if (GetLastError() != ERROR_MORE_DATA)
            return kTransactReadFailed;
    }
    szRead[cbRead] = '\0';
    reply.Append(szRead);
    return kTransactOk;
}

MonitorProbe ProbeMonitor()
{
    CoInitialize(nullptr);
    if (IsMonitorRunning())
        return MonitorProbe::kRunning;
    if (RequestMonitorClassObject())
        return MonitorProbe::kStartedByCom;
    // Another host may have had a monitor started at the same moment: the one
    // started for this request then met it, ended at once, and failed the request.
    // The monitor that stays is just starting, so it counts as started here: its
    // pipe may still be on the way.
    if (IsMonitorRunning())
        return MonitorProbe::kStartedByCom;
    return MonitorProbe::kNone;
}

void ConnectToMonitor(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                      MonitorProbe probe)
{
    if (probe == MonitorProbe::kNone)
        return;
    if (probe == MonitorProbe::kStartedByCom)
        WaitForPipeToAppear();

    CClientState& state = ClientState();
    CloseStalePipe();
    DWORD dwError = ERROR_SUCCESS;
    HANDLE hPipe = OpenPipe(dwError);
    state.m_hPipe = hPipe;
    for (int nRetries = 0; hPipe == INVALID_HANDLE_VALUE; ++nRetries)
    {
        // A missing pipe is not waited for; busy instances are, and the wait comes
        // before the count test, so the last failed open is waited after too.
        if (dwError != ERROR_PIPE_BUSY)
            return;
        if (!WaitNamedPipeA(Protocol::kPipeName, kBusyWaitMs))
            return;
        if (nRetries == kMaxOpenRetries)
            return;
        hPipe = OpenPipe(dwError);
        state.m_hPipe = hPipe;
    }

    DWORD dwMode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(hPipe, &dwMode, nullptr, nullptr))
        return;

    Protocol::RequestBuffer init;
    Protocol::BuildInitRequest(init, lApplicationId, pszApplicationPath, pszClientInfo);
    char szReply[Protocol::kControlReplyBufferBytes];
    PipeTransact(init, szReply);
    if (std::strcmp(szReply, Protocol::kReplyFail) == 0)
        return;

    if (state.m_bDebugMode)
        ForwardStartLines(lApplicationId, pszApplicationPath);
    SetLogIdentity(pszApplicationPath, lApplicationId);
}

void ForwardLogLine(const char* pszText, int nKind)
{
    CClientState& state = ClientState();
    if (!state.m_bDebugMode)
        return;
    CLibraryLockGuard guard(state.m_libraryLock);
    if (!guard.IsHeld())
        return; // not yet set up, or already shut down: there is no connection either

    char szStamp[Protocol::kTimeStampBytes];
    state.m_stampCache.Make(szStamp);
    Protocol::RequestBuffer line;
    Protocol::BuildLogRequest(line, nKind, szStamp, state.m_szLogName, state.m_lLogId,
                              pszText ? pszText : "");
    char szReply[Protocol::kLogReplyBufferBytes];
    PipeTransact(line, szReply);
}

void SendTerminateToMonitor()
{
    SayGoodbye(Protocol::kRequestTerminate);
}

void SendCleanToMonitor()
{
    SayGoodbye(Protocol::kRequestClean);
}
