#include "PipeClient.h"

#include "BoundedText.h"
#include "CatalogueFormat.h"
#include "ClientCatalogue.h"
#include "ClientState.h"
#include "MonitorIdentity.h"
#include "PipeIo.h"
#include "RequestBuilder.h"
#include "TimeLimits.h"
#include "TimeStamp.h"

#include <cstring>

using namespace PipeClient;

namespace
{

// Whatever serves the pipe may learn who the host is, but never act as the host:
// without these flags a server could impersonate the host's account.
constexpr DWORD kPipeSecurityFlags = SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

HANDLE OpenPipe(DWORD& dwError)
{
    const HANDLE hPipe = CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_OVERLAPPED | kPipeSecurityFlags, nullptr);
    dwError = GetLastError();
    return hPipe;
}

// Opens the pipe; while every instance is busy, waits for a free one and opens
// again, seven opens at most. The wait comes before the count test, so the last
// failed open is waited after too; the waits together last at most dwBusyLimitMs.
// A missing pipe is not waited for. Null when no handle could be had.
HANDLE OpenPipeWithRetries(DWORD dwBusyLimitMs)
{
    const DWORD dwStart = GetTickCount();
    DWORD dwError = ERROR_SUCCESS;
    HANDLE hPipe = OpenPipe(dwError);
    for (int nRetries = 0; hPipe == INVALID_HANDLE_VALUE; ++nRetries)
    {
        const DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwError != ERROR_PIPE_BUSY || dwElapsed >= dwBusyLimitMs ||
            !WaitNamedPipeA(Protocol::kPipeName, dwBusyLimitMs - dwElapsed) || nRetries == kMaxOpenRetries)
            return nullptr;
        hPipe = OpenPipe(dwError);
    }
    return hPipe;
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
        if (GetTickCount() - dwStart >= TimeLimits::kPipeAppearMs)
            return;
        Sleep(TimeLimits::kPipeAppearPollMs);
    }
}

// ---- under the library lock ------------------------------------------------------------

// A debug-mode host looks for a monitor again at most once a second after this.
void NoteAttemptLocked(CClientState& state)
{
    state.m_bAttempted = true;
    state.m_dwLastAttemptTick = GetTickCount();
}

void CloseConnectionLocked(CClientState& state)
{
    if (state.m_hPipe)
        CloseHandle(state.m_hPipe);
    state.m_hPipe = nullptr;
}

HANDLE IoEventLocked(CClientState& state)
{
    if (!state.m_hIoEvent)
        state.m_hIoEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return state.m_hIoEvent;
}

// One exchange on hPipe, the published connection or one being made. A write or
// read that fails or runs out of time ends the connection: hPipe is closed.
int ExchangeLocked(CClientState& state, HANDLE hPipe, const char* pszRequest, char* pszReply,
                   std::size_t cbReply)
{
    Protocol::BoundedText reply(pszReply, cbReply);
    Protocol::RequestBuffer request;
    Protocol::BoundedText requestText(request, sizeof request);
    requestText.Append(pszRequest);
    const HANDLE hEvent = IoEventLocked(state);
    int nResult = kTransactOk;
    if (!hEvent || !PipeIo::Write(hPipe, hEvent, request, static_cast<DWORD>(requestText.Length() + 1),
                                  TimeLimits::kWriteMs)
                        .bDone)
        nResult = kTransactWriteFailed;

    // One byte more than the longest read, for the terminator.
    char szRead[Protocol::kReplyReadBytes + 1];
    PipeIo::Result read;
    while (nResult == kTransactOk)
    {
        read = PipeIo::Read(hPipe, hEvent, szRead, Protocol::kReplyReadBytes, TimeLimits::kReplyMs);
        if (read.bDone)
            break;
        // The rest of an over-long reply is read into the same buffer; its start is dropped.
        if (read.dwError != ERROR_MORE_DATA)
            nResult = kTransactReadFailed;
    }
    if (nResult != kTransactOk)
    {
        CloseHandle(hPipe);
        if (state.m_hPipe == hPipe)
            state.m_hPipe = nullptr;
        NoteAttemptLocked(state);
        return nResult;
    }
    szRead[read.cbDone] = '\0';
    reply.Append(szRead);
    return kTransactOk;
}

enum class Announcement
{
    kNone,     // no connection, or one without INIT
    kRefused,  // the monitor replied "FAIL"
    kAccepted, // any other reply, a failed exchange included
};

// Replaces the connection: opens the pipe, makes sure that the installation's
// monitor serves it, switches it to message mode and sends INIT on it, and only
// then publishes it to the other threads.
Announcement ConnectLocked(CClientState& state, DWORD dwBusyLimitMs, std::int32_t lApplicationId,
                           const char* pszApplicationPath, const char* pszClientInfo)
{
    CloseConnectionLocked(state);
    HANDLE hPipe = OpenPipeWithRetries(dwBusyLimitMs);
    if (hPipe && !IsPipeServedBy(hPipe, state.m_strMonitorProgram.c_str()))
    {
        // Another program serves the pipe's name: not a word to it.
        CloseHandle(hPipe);
        hPipe = nullptr;
    }
    Announcement announcement = Announcement::kNone;
    DWORD dwMode = PIPE_READMODE_MESSAGE;
    if (hPipe && !SetNamedPipeHandleState(hPipe, &dwMode, nullptr, nullptr))
    {
        // No INIT on a handle that cannot read messages; later lines are still tried.
        state.m_hPipe = hPipe;
    }
    else if (hPipe)
    {
        Protocol::RequestBuffer init;
        Protocol::BuildInitRequest(init, lApplicationId, pszApplicationPath, pszClientInfo);
        char szReply[Protocol::kControlReplyBufferBytes];
        if (ExchangeLocked(state, hPipe, init, szReply, sizeof szReply) == kTransactOk)
            state.m_hPipe = hPipe;
        announcement = std::strcmp(szReply, Protocol::kReplyFail) == 0 ? Announcement::kRefused
                                                                       : Announcement::kAccepted;
    }
    NoteAttemptLocked(state);
    return announcement;
}

// A debug-mode host without a connection (it broke, or no monitor was there at
// initialisation) looks for a monitor again: at most once a second, while its
// client context is open (the INIT comes from there), never through COM (a
// monitor that the user ended stays ended) and never while the library unloads.
// A monitor is there when its pipe is; a busy pipe is waited for only briefly.
void RejoinIfDueLocked(CClientState& state)
{
    if (state.m_hPipe || !state.m_bContextOpen || state.m_bConnecting || state.m_bUnloading)
        return;
    if (state.m_bAttempted && GetTickCount() - state.m_dwLastAttemptTick < TimeLimits::kRejoinIntervalMs)
        return;
    const ClientContext& context = state.m_context;
    if (ConnectLocked(state, TimeLimits::kBusyPipeRejoinMs, context.lApplicationId,
                      context.strApplicationPath.c_str(),
                      context.strClientInfo.c_str()) == Announcement::kAccepted)
        SetLogIdentity(context.strApplicationPath.c_str(), context.lApplicationId);
}

// ---- lines ---------------------------------------------------------------------------------

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

void SayGoodbye(const char* pszRequest)
{
    ForwardCatalogueLine(Catalogue::kCleanUpStart);
    CloseClientContext();
    ForwardCatalogueLine(Catalogue::kCleanUpEnd);
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    char szReply[Protocol::kControlReplyBufferBytes];
    PipeTransact(pszRequest, szReply);
    // The monitor closes its end after the goodbye; this end goes too, so that no
    // handle of this host keeps the pipe's name alive.
    if (guard.IsHeld())
        CloseConnectionLocked(state);
}

} // namespace

int PipeTransact(const char* pszRequest, char* pszReply, std::size_t cbReply)
{
    Protocol::BoundedText reply(pszReply, cbReply);
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    if (!guard.IsHeld() || !state.m_hPipe)
        return kTransactNoPipe;
    return ExchangeLocked(state, state.m_hPipe, pszRequest, pszReply, cbReply);
}

void ConnectToMonitor(std::int32_t lApplicationId, const char* pszApplicationPath, const char* pszClientInfo,
                      MonitorProbe probe)
{
    if (probe == MonitorProbe::kStartedByCom)
        WaitForPipeToAppear();
    CClientState& state = ClientState();
    Announcement announcement = Announcement::kNone;
    {
        CLibraryLockGuard guard(state.m_libraryLock);
        if (!guard.IsHeld())
            return;
        if (probe != MonitorProbe::kNone)
            announcement = ConnectLocked(state, TimeLimits::kBusyPipeMs, lApplicationId, pszApplicationPath,
                                         pszClientInfo);
        else
            NoteAttemptLocked(state);
        state.m_bConnecting = false;
    }
    if (announcement != Announcement::kAccepted)
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
    RejoinIfDueLocked(state);
    if (!state.m_hPipe)
        return; // the line is lost

    char szStamp[Protocol::kTimeStampBytes];
    state.m_stampCache.Make(szStamp);
    Protocol::RequestBuffer line;
    Protocol::BuildLogRequest(line, nKind, szStamp, state.m_szLogName, state.m_lLogId,
                              pszText ? pszText : "");
    char szReply[Protocol::kLogReplyBufferBytes];
    ExchangeLocked(state, state.m_hPipe, line, szReply, sizeof szReply);
}

void SendTerminateToMonitor()
{
    SayGoodbye(Protocol::kRequestTerminate);
}

void SendCleanToMonitor()
{
    CClientState& state = ClientState();
    {
        CLibraryLockGuard guard(state.m_libraryLock);
        state.m_bUnloading = true;
    }
    SayGoodbye(Protocol::kRequestClean);
}

void SendCleanAtProcessExit()
{
    CClientState& state = ClientState();
    if (!state.m_libraryLock.TryEnter())
        return;
    state.m_bUnloading = true;
    // The lock is recursive: the goodbye's own steps take it again without waiting.
    if (state.m_bContextOpen)
        SayGoodbye(Protocol::kRequestClean);
    state.m_libraryLock.Leave();
}

void CloseConnection()
{
    CClientState& state = ClientState();
    CLibraryLockGuard guard(state.m_libraryLock);
    if (!guard.IsHeld())
        return;
    CloseConnectionLocked(state);
    if (state.m_hIoEvent)
        CloseHandle(state.m_hIoEvent);
    state.m_hIoEvent = nullptr;
}
