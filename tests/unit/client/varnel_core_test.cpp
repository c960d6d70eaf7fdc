// The pipe client's connection against stand-in servers in this process (the
// library's check of the server's program is pointed at this test program): the
// seven opens with their waits while every instance is busy and their time
// limit, a failed switch to message mode, a failed read, and a reply that does
// not come in time. The waits for a free instance are steered through this
// program's import of WaitNamedPipeA.
#include "ClientState.h"
#include "ImportRedirect.h"
#include "PipeClient.h"
#include "PipeProtocol.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

typedef BOOL(WINAPI* PFN_WAIT_NAMED_PIPE_A)(LPCSTR, DWORD);
typedef HANDLE(WINAPI* PFN_CREATE_FILE_A)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

PFN_WAIT_NAMED_PIPE_A g_pfnRealWait = nullptr;
PFN_CREATE_FILE_A g_pfnRealCreateFile = nullptr;
std::atomic<int> g_nWaits{0};
std::atomic<int> g_nPipeOpens{0};
std::atomic<BOOL> g_bWaitResult{TRUE}; // what the steered wait reports

BOOL WINAPI SteeredWaitNamedPipeA(LPCSTR, DWORD)
{
    ++g_nWaits;
    SetLastError(g_bWaitResult ? ERROR_SUCCESS : ERROR_SEM_TIMEOUT);
    return g_bWaitResult;
}

HANDLE WINAPI CountingCreateFileA(LPCSTR pszName, DWORD dwAccess, DWORD dwShare,
                                  LPSECURITY_ATTRIBUTES pSecurity, DWORD dwDisposition, DWORD dwFlags,
                                  HANDLE hTemplate)
{
    if (pszName && std::strcmp(pszName, Protocol::kPipeName) == 0)
        ++g_nPipeOpens;
    return g_pfnRealCreateFile(pszName, dwAccess, dwShare, pSecurity, dwDisposition, dwFlags, hTemplate);
}

std::string OwnProgram()
{
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    return szPath;
}

// One connection, served on a thread of its own: reads requests and answers
// "SUCCESS" until it is told otherwise by its behaviour.
class CStandInServer
{
public:
    enum class Behaviour
    {
        kAnswers,
        kDropsSecondRequest,     // reads it, then disconnects without a reply
        kLeavesSecondUnanswered, // reads it and keeps its end open, never replying
    };

    CStandInServer(DWORD dwPipeType, Behaviour behaviour)
        : m_hPipe(CreateNamedPipeA(Protocol::kPipeName, PIPE_ACCESS_DUPLEX,
                                   dwPipeType | (dwPipeType == PIPE_TYPE_MESSAGE ? PIPE_READMODE_MESSAGE : 0),
                                   1, 4096, 4096, 0, nullptr))
    {
        m_thread = std::thread([this, behaviour] {
            Serve(behaviour);
            m_bServed = true;
        });
    }
    ~CStandInServer()
    {
        m_thread.join();
        CloseHandle(m_hPipe);
    }

    std::vector<std::string> Requests() const
    {
        WaitUntilServed();
        return m_requests;
    }
    // True once the client's end was seen closed (a read on the pipe failed).
    bool ClientClosed() const
    {
        WaitUntilServed();
        return m_bClientClosed;
    }

private:
    void Serve(Behaviour behaviour)
    {
        if (!ConnectNamedPipe(m_hPipe, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED)
            return;
        char buffer[Protocol::kMaxRequestBytes];
        DWORD cbRead = 0;
        while (ReadFile(m_hPipe, buffer, sizeof buffer, &cbRead, nullptr) && cbRead > 0)
        {
            m_requests.emplace_back(buffer, cbRead - 1);
            if (m_requests.size() == 2 && behaviour == Behaviour::kDropsSecondRequest)
            {
                DisconnectNamedPipe(m_hPipe);
                return;
            }
            if (m_requests.size() == 2 && behaviour == Behaviour::kLeavesSecondUnanswered)
                continue;
            DWORD cbWritten = 0;
            WriteFile(m_hPipe, Protocol::kReplySuccess, Protocol::kReplySuccessBytes, &cbWritten, nullptr);
        }
        m_bClientClosed = GetLastError() == ERROR_BROKEN_PIPE;
    }
    void WaitUntilServed() const
    {
        for (int i = 0; i < 500 && !m_bServed; ++i)
            Sleep(10);
    }

    HANDLE m_hPipe;
    std::vector<std::string> m_requests;
    bool m_bClientClosed = false;
    std::atomic<bool> m_bServed{false};
    std::thread m_thread;
};

class PipeClientCore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CClientState& state = ClientState();
        state.m_libraryLock.Create();
        state.m_bDebugMode = false; // no start lines: the stand-ins count requests
        state.m_strMonitorProgram = OwnProgram();
    }
    void TearDown() override { CloseConnection(); }

    static bool IsConnected()
    {
        CClientState& state = ClientState();
        CLibraryLockGuard guard(state.m_libraryLock);
        return state.m_hPipe != nullptr;
    }
};

} // namespace

TEST_F(PipeClientCore, ABusyPipeIsOpenedSevenTimesWithItsWaitsAndGivenUpOnInBoundedTime)
{
    HANDLE hServer = CreateNamedPipeA(Protocol::kPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE, 1, 4096,
                                      4096, 0, nullptr);
    HANDLE hOtherClient =
        CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hOtherClient) << "every instance is busy from here on";
    void* pfnOld = nullptr;
    ASSERT_TRUE(RedirectImport(GetModuleHandleA(nullptr), "kernel32.dll", "CreateFileA",
                               reinterpret_cast<void*>(&CountingCreateFileA), &pfnOld));
    g_pfnRealCreateFile = reinterpret_cast<PFN_CREATE_FILE_A>(pfnOld);
    ASSERT_TRUE(RedirectImport(GetModuleHandleA(nullptr), "kernel32.dll", "WaitNamedPipeA",
                               reinterpret_cast<void*>(&SteeredWaitNamedPipeA), &pfnOld));
    g_pfnRealWait = reinterpret_cast<PFN_WAIT_NAMED_PIPE_A>(pfnOld);

    // Each wait reports a free instance that another client takes first.
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    EXPECT_EQ(7, g_nPipeOpens.load());
    EXPECT_EQ(7, g_nWaits.load()) << "the seventh failed open is waited after too";
    EXPECT_FALSE(IsConnected());

    // A wait that fails gives up at once.
    g_nPipeOpens = 0;
    g_nWaits = 0;
    g_bWaitResult = FALSE;
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    EXPECT_EQ(1, g_nPipeOpens.load());
    EXPECT_EQ(1, g_nWaits.load());

    // The real waits of a pipe that stays busy end within the limit of them all.
    ASSERT_TRUE(RedirectImport(GetModuleHandleA(nullptr), "kernel32.dll", "WaitNamedPipeA",
                               reinterpret_cast<void*>(g_pfnRealWait), &pfnOld));
    const DWORD dwStart = GetTickCount();
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 4500u);
    EXPECT_LT(dwElapsed, 7000u);
    EXPECT_FALSE(IsConnected());
    CloseHandle(hOtherClient);
    CloseHandle(hServer);
}

TEST_F(PipeClientCore, AHandleThatCannotReadMessagesGetsNoInitButLaterLines)
{
    CStandInServer server(PIPE_TYPE_BYTE, CStandInServer::Behaviour::kAnswers);
    ClientState().m_bDebugMode = true; // lines are forwarded
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    ForwardLogLine("a later line", Protocol::kLogInfo);
    CloseConnection();
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(0u, requests[0].find("INFO;[[")) << requests[0];
    EXPECT_NE(std::string::npos, requests[0].find("]-> a later line")) << requests[0];
}

TEST_F(PipeClientCore, AFailedReadIsResultMinus1006AndEndsTheConnection)
{
    CStandInServer server(PIPE_TYPE_MESSAGE, CStandInServer::Behaviour::kDropsSecondRequest);
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    char szReply[Protocol::kControlReplyBufferBytes];
    EXPECT_EQ(PipeClient::kTransactReadFailed, PipeTransact("INFO;dropped", szReply));
    EXPECT_FALSE(IsConnected());
    EXPECT_EQ(PipeClient::kTransactNoPipe, PipeTransact("INFO;not even tried", szReply));
    EXPECT_EQ(2u, server.Requests().size());
}

TEST_F(PipeClientCore, AReplyThatDoesNotComeInTimeEndsTheExchangeAndClosesTheHandle)
{
    CStandInServer server(PIPE_TYPE_MESSAGE, CStandInServer::Behaviour::kLeavesSecondUnanswered);
    ConnectToMonitor(42, "C:\\apps\\tool.exe", "beta", PipeClient::MonitorProbe::kRunning);
    char szReply[Protocol::kControlReplyBufferBytes];
    const DWORD dwStart = GetTickCount();
    EXPECT_EQ(PipeClient::kTransactReadFailed, PipeTransact("INFO;never answered", szReply));
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 4500u);
    EXPECT_LT(dwElapsed, 7000u);
    EXPECT_FALSE(IsConnected());
    EXPECT_TRUE(server.ClientClosed()) << "the client's end must be closed, not merely forgotten";
}
