#include "PipeServer.h"

#include "ClientTable.h"
#include "ConnectionState.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "ObjectSecurity.h"
#include "ProcessPipeCommand.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string>

namespace
{

// Each connection thread keeps two 4 KB buffers and a parsed copy of the request
// on its stack; a modest reservation lets hundreds of connections coexist in a
// 32-bit address space.
constexpr SIZE_T kConnectionStackBytes = 256 * 1024;

// How often the listener tries again to create a pipe instance that failed.
constexpr DWORD kInstanceRetryMs = 250;

// Pipe server threads in the middle of a step (between a wait for a client or a
// request that returned and the next such wait), and whether they may start one.
std::atomic<long> g_nThreadsAtWork{0};
std::atomic<bool> g_bWorkStopped{false};

// Called when a wait has returned: the thread counts as at work, or, once the
// monitor is ending, stays here for good. Waiting, it holds no lock, so the
// process's end can take it down safely.
void BeginWork()
{
    ++g_nThreadsAtWork;
    if (!g_bWorkStopped)
        return;
    --g_nThreadsAtWork;
    for (;;)
        ::Sleep(INFINITE);
}

void EndWork()
{
    --g_nThreadsAtWork;
}

// The pipe's name itself proves nothing: instances of a monitor that has gone live
// on while hosts hold them, and any process may create instances of its own; hosts
// look at who serves the instance they opened. Which monitor serves is decided by
// the listener mutex instead.
// How long a listener waits for that mutex: a monitor that is still ending owns it
// until its process is gone.
constexpr DWORD kListenerMutexGraceMs = 3000;

// Built once, by the listener, before any connection thread exists.
CUserObjectSecurity& ObjectSecurity()
{
    static CUserObjectSecurity s_security;
    return s_security;
}

std::atomic<ListenerOutcome> g_listenerOutcome{ListenerOutcome::kServing};
std::atomic<DWORD> g_dwListenerError{ERROR_SUCCESS};

// Takes the listener mutex for good. An owner that died leaves it abandoned,
// which counts as taken. The mutex is the user's: one that another user's process
// made under its name (or keeps from this user) is not a monitor's.
ListenerOutcome BecomeTheListener()
{
    CUserObjectSecurity& security = ObjectSecurity();
    const std::string strName = ListenerMutexName();
    const HANDLE hMutex = ::CreateMutexA(security.Attributes(), FALSE, strName.c_str());
    const DWORD dwError = ::GetLastError();
    if (!hMutex)
    {
        g_dwListenerError = dwError;
        return dwError == ERROR_ACCESS_DENIED ? ListenerOutcome::kLockHeldByAnotherUser
                                              : ListenerOutcome::kNoPipe;
    }
    if (dwError == ERROR_ALREADY_EXISTS && !security.IsOwnedByUser(hMutex))
    {
        ::CloseHandle(hMutex);
        return ListenerOutcome::kLockHeldByAnotherUser;
    }
    const DWORD dwWait = ::WaitForSingleObject(hMutex, kListenerMutexGraceMs);
    if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED)
        return ListenerOutcome::kServing; // owned by this thread until the process ends; the handle goes with it
    ::CloseHandle(hMutex);
    return ListenerOutcome::kAnotherMonitorServes;
}

// Every instance refuses clients from other machines (the pipe is local by
// definition) and any other user's process (see ObjectSecurity.h).
HANDLE CreatePipeInstance()
{
    return ::CreateNamedPipeA(Protocol::kPipeName, Protocol::kPipeOpenMode,
                              Protocol::kPipeMode | PIPE_REJECT_REMOTE_CLIENTS, Protocol::kPipeMaxInstances,
                              Protocol::kPipeBufferBytes, Protocol::kPipeBufferBytes, 0,
                              ObjectSecurity().Attributes());
}

bool WaitForClient(HANDLE hPipe)
{
    // A client that connected between creation and this call counts as connected.
    return ::ConnectNamedPipe(hPipe, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED;
}

// Starts the thread that serves an accepted instance; on any failure the instance
// is closed and nothing is left behind.
void StartConnectionThread(HANDLE hPipe, CMainWindowLink* pMainFrame)
{
    PipeConnection* pConnection = new (std::nothrow) PipeConnection;
    if (!pConnection)
    {
        ::DisconnectNamedPipe(hPipe);
        ::CloseHandle(hPipe);
        return;
    }
    pConnection->m_hPipe = hPipe;
    pConnection->m_pMainFrame = pMainFrame;
    // Suspended, so the record is complete before the thread sees it.
    HANDLE hThread = ::CreateThread(nullptr, kConnectionStackBytes, &PipeConnectionProc, pConnection,
                                    CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!hThread)
    {
        ::DisconnectNamedPipe(hPipe);
        ::CloseHandle(hPipe);
        delete pConnection;
        return;
    }
    pConnection->m_hThread = hThread;
    ::ResumeThread(hThread);
}

// Reads one request. false when the pipe broke, the message was longer than the
// buffer, or it was empty. The text is always NUL-terminated after the bytes read,
// so a message without its own NUL is never read beyond them.
bool ReadRequest(HANDLE hPipe, char (&request)[Protocol::kMaxRequestBytes + 1])
{
    DWORD cbRead = 0;
    if (!::ReadFile(hPipe, request, Protocol::kMaxRequestBytes, &cbRead, nullptr) || cbRead == 0)
        return false;
    request[cbRead] = '\0';
    return true;
}

// Closes this end without waiting for the client: the client can still read
// what was written (the reply to its goodbye) and then finds the pipe broken.
// FlushFileBuffers would wait until it has read, for ever for a client that
// never reads, and DisconnectNamedPipe would throw the reply away.
void ClosePipe(HANDLE hPipe)
{
    ::CloseHandle(hPipe);
}

// Destroys the record under the table mutex. A registration it still holds (a
// failed write after INIT) goes with it, so the table never keeps a connection
// that is gone.
void DestroyConnection(PipeConnection* pConnection)
{
    CClientTableLock lock;
    RemoveClient(pConnection);
    ::CloseHandle(pConnection->m_hThread);
    delete pConnection;
}

// The window decides again when the command arrives: a client that registered in
// the meantime keeps the monitor running.
void ExitMonitorIfLastClientGone(CMainWindowLink* pMainFrame)
{
    if (!pMainFrame || !pMainFrame->GetWindow() || pMainFrame->IsDebugMode() || !BeginPipeExitRequest())
        return;
    pMainFrame->SendExitCommand();
    EndPipeExitRequest();
}

// The monitor's end is decided: this thread holds nothing and answers nothing
// more; its client finds the pipe broken.
[[noreturn]] void StayUntilProcessEnds(HANDLE hPipe)
{
    ::DisconnectNamedPipe(hPipe);
    ::CloseHandle(hPipe);
    EndWork();
    for (;;)
        ::Sleep(INFINITE);
}

} // namespace

std::string ListenerMutexName()
{
    return std::string(kPipeListenerMutexPrefix) + ObjectSecurity().UserSid();
}

ListenerOutcome PipeListenerOutcome(DWORD* pdwError)
{
    if (pdwError)
        *pdwError = g_dwListenerError.load();
    return g_listenerOutcome.load();
}

HANDLE PipeListenerSettledEvent()
{
    static const HANDLE s_hSettled = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return s_hSettled;
}

DWORD WINAPI PipeListenerProc(LPVOID pMainFrame)
{
    CMainWindowLink* pLink = static_cast<CMainWindowLink*>(pMainFrame);
    // Another monitor serves the pipe, or no instance can be created: no client can
    // ever reach this monitor, and no connection will ever end to trigger its
    // self-termination. It ends now, in debug mode too, instead of staying on
    // (hidden, or with a tray icon) as a monitor that serves nobody. Two monitors
    // started at the same moment thus leave one, and it is never joined by the other.
    ListenerOutcome outcome = BecomeTheListener();
    HANDLE hPipe = INVALID_HANDLE_VALUE;
    if (outcome == ListenerOutcome::kServing)
    {
        hPipe = CreatePipeInstance();
        if (hPipe == INVALID_HANDLE_VALUE)
        {
            g_dwListenerError = ::GetLastError();
            outcome = ListenerOutcome::kNoPipe;
        }
    }
    g_listenerOutcome = outcome;
    if (const HANDLE hSettled = PipeListenerSettledEvent())
        ::SetEvent(hSettled);
    if (hPipe == INVALID_HANDLE_VALUE)
    {
        if (pLink)
            pLink->RequestExit();
        return 0;
    }
    for (;;)
    {
        const bool bConnected = WaitForClient(hPipe);
        BeginWork();
        if (bConnected)
            StartConnectionThread(hPipe, pLink);
        else
            ::CloseHandle(hPipe);
        hPipe = CreatePipeInstance();
        EndWork();
        // A later instance that cannot be created (the system short of resources)
        // is tried again: the listener keeps its mutex, so no second monitor
        // starts listening beside this one while it still serves its clients.
        while (hPipe == INVALID_HANDLE_VALUE)
        {
            ::Sleep(kInstanceRetryMs);
            BeginWork();
            hPipe = CreatePipeInstance();
            EndWork();
        }
    }
}

DWORD WINAPI PipeConnectionProc(LPVOID pParameter)
{
    PipeConnection* pConnection = static_cast<PipeConnection*>(pParameter);
    CMainWindowLink* pMainFrame = pConnection->m_pMainFrame;
    const HANDLE hPipe = pConnection->m_hPipe;
    ConnectionState state;
    state.m_pConnection = pConnection;
    char request[Protocol::kMaxRequestBytes + 1];
    char reply[Protocol::kMaxRequestBytes];
    DWORD cbReply = 0;

    bool bCleanUp = true;
    for (;;)
    {
        const bool bRead = ReadRequest(hPipe, request);
        BeginWork();
        if (!bRead)
            break;
        const int nResult = ProcessPipeCommand(request, reply, &cbReply, state, pMainFrame);
        if (nResult < 0)
            state.m_bClosing = true;
        else if (nResult == 0 && state.m_pClient &&
                 RegisterClient(state.m_pClient->m_lClientId, pConnection) == RegisterResult::kMonitorEnding)
            StayUntilProcessEnds(hPipe); // no "SUCCESS" that the end would then ignore

        DWORD cbWritten = 0;
        const bool bWritten = ::WriteFile(hPipe, reply, cbReply, &cbWritten, nullptr) != FALSE;
        if (bWritten && !state.m_bClosing)
        {
            EndWork();
            continue;
        }
        // An orderly goodbye has already removed the client; a failed write has not.
        bCleanUp = !state.m_bClosing || state.m_pClient != nullptr;
        break;
    }

    if (bCleanUp)
    {
        std::memcpy(request, Protocol::kRequestClean, sizeof(Protocol::kRequestClean));
        ProcessPipeCommand(request, reply, &cbReply, state, pMainFrame);
    }
    ClosePipe(hPipe);
    DestroyConnection(pConnection);
    ExitMonitorIfLastClientGone(pMainFrame);
    EndWork();
    return 0;
}

void StopPipeServerWork(DWORD dwMaxWaitMs)
{
    g_bWorkStopped = true;
    const DWORD dwStart = ::GetTickCount();
    while (g_nThreadsAtWork > 0 && ::GetTickCount() - dwStart < dwMaxWaitMs)
    {
        // A thread at work may be sending this thread a console line.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        ::Sleep(1);
    }
}
