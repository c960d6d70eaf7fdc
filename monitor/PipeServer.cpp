#include "PipeServer.h"

#include "ClientTable.h"
#include "ConnectionState.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeProtocol.h"
#include "ProcessPipeCommand.h"

#include <cstring>
#include <new>

namespace
{

// Each connection thread keeps two 4 KB buffers and a parsed copy of the request
// on its stack; a modest reservation lets hundreds of connections coexist in a
// 32-bit address space.
constexpr SIZE_T kConnectionStackBytes = 256 * 1024;

HANDLE CreatePipeInstance()
{
    return ::CreateNamedPipeA(Protocol::kPipeName, Protocol::kPipeOpenMode, Protocol::kPipeMode,
                              Protocol::kPipeMaxInstances, Protocol::kPipeBufferBytes,
                              Protocol::kPipeBufferBytes, 0, nullptr);
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

void ClosePipe(HANDLE hPipe)
{
    ::FlushFileBuffers(hPipe);
    ::DisconnectNamedPipe(hPipe);
    ::CloseHandle(hPipe);
}

// Destroys the record under the table mutex. Entries that still name it (a client
// registered by an INIT that a later INIT on the same connection replaced) go with
// it, so the table never keeps a connection that is gone.
void DestroyConnection(PipeConnection* pConnection)
{
    CClientTableLock lock;
    pConnection->m_bClosed = true;
    pConnection->m_hPipe = INVALID_HANDLE_VALUE;
    for (auto it = g_clientTable.begin(); it != g_clientTable.end();)
        it = it->second == pConnection ? g_clientTable.erase(it) : std::next(it);
    ::CloseHandle(pConnection->m_hThread);
    delete pConnection;
}

void ExitMonitorIfLastClientGone(CMainWindowLink* pMainFrame)
{
    if (!pMainFrame || !IsClientTableEmpty())
        return;
    if (pMainFrame->GetWindow() && !pMainFrame->IsDebugMode())
        pMainFrame->SendExitCommand();
}

} // namespace

DWORD WINAPI PipeListenerProc(LPVOID pMainFrame)
{
    CMainWindowLink* pLink = static_cast<CMainWindowLink*>(pMainFrame);
    for (;;)
    {
        HANDLE hPipe = CreatePipeInstance();
        if (hPipe == INVALID_HANDLE_VALUE)
            return 0;
        if (WaitForClient(hPipe))
            StartConnectionThread(hPipe, pLink);
        else
            ::CloseHandle(hPipe);
    }
}

DWORD WINAPI PipeConnectionProc(LPVOID pParameter)
{
    PipeConnection* pConnection = static_cast<PipeConnection*>(pParameter);
    CMainWindowLink* pMainFrame = pConnection->m_pMainFrame;
    const HANDLE hPipe = pConnection->m_hPipe;
    ConnectionState state;
    char request[Protocol::kMaxRequestBytes + 1];
    char reply[Protocol::kMaxRequestBytes];
    DWORD cbReply = 0;

    bool bCleanUp = true;
    while (ReadRequest(hPipe, request))
    {
        const int nResult = ProcessPipeCommand(request, reply, &cbReply, state, pMainFrame);
        if (nResult < 0)
            state.m_bClosing = true;
        else if (nResult == 0 && state.m_pClient)
            RegisterClient(state.m_pClient->m_lClientId, pConnection);

        DWORD cbWritten = 0;
        const bool bWritten = ::WriteFile(hPipe, reply, cbReply, &cbWritten, nullptr) != FALSE;
        if (bWritten && !state.m_bClosing)
            continue;
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
    return 0;
}
