// The pipe server over real named pipes: the protocol's conversation byte for
// byte, clean-up after broken clients, oversize and empty messages, shared ids,
// self-termination and debug mode, and many clients at once.
#include "ClientTable.h"
#include "ClientTableProbe.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "PipeServer.h"
#include "Polling.h"
#include "RecordingWindow.h"
#include "TestCatalogue.h"
#include "TestPipeClient.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace
{

const char kNotes[] = "msg015=Client %d terminated\n"
                      "msg016=terminate done\n"
                      "msg017=Client %d cleaned up\n"
                      "msg018=Removing client %d\n"
                      "msg019=clean done\n"
                      "msg022=record freed\n";

// One listener per test process, serving through the process-wide link.
void StartServerOnce()
{
    static bool s_bStarted = false;
    if (s_bStarted)
        return;
    s_bStarted = true;
    if (!g_hClientTableMutex)
        g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE hThread = ::CreateThread(nullptr, 0, &PipeListenerProc, &MainWindowLink(), 0, nullptr);
    ::CloseHandle(hThread);
}

std::vector<std::string> Texts(const CRecordingWindow& window)
{
    std::vector<std::string> texts;
    for (const auto& line : window.Lines())
        texts.push_back(line.strText);
    return texts;
}

class PipeServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StartServerOnce();
        MainWindowLink().Publish(m_window.GetHwnd(), false);
    }
    void TearDown() override { MainWindowLink().Withdraw(); }

    CRecordingWindow m_window;
    CTestCatalogue m_catalogue{kNotes};
};

} // namespace

TEST_F(PipeServerTest, TypicalConversationByteForByte)
{
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    const std::string init = "INIT;42|C:\\apps\\tool.exe|beta";
    ASSERT_EQ(30u, init.size() + 1);
    ASSERT_EQ("SUCCESS", client.Transact(init));
    ASSERT_TRUE(WaitUntil([] { return !IsClientTableEmpty(); }, 5000));

    const std::string line = "SINFO;[[12-07-2026 01:23:45]:tool:42]-> started";
    ASSERT_EQ(48u, line.size() + 1);
    EXPECT_EQ("SUCCESS", client.Transact(line));
    // The reply comes only after the line is shown.
    ASSERT_FALSE(m_window.Lines().empty());
    EXPECT_EQ("[[12-07-2026 01:23:45]:tool:42]-> started", m_window.Lines().back().strText);
    EXPECT_EQ(3, m_window.Lines().back().nColourClass);

    EXPECT_EQ("SUCCESS", client.Transact("info;x")) << "unrecognised, connection stays";
    EXPECT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    std::string reply;
    EXPECT_FALSE(client.Read(reply)) << "the monitor closes its end after TERMINATE";
    EXPECT_TRUE(m_window.WaitForExitCommand(5000)) << "last client gone";
    EXPECT_TRUE(IsClientTableEmpty());
    const auto texts = Texts(m_window);
    EXPECT_EQ((std::vector<std::string>{"[[12-07-2026 01:23:45]:tool:42]-> started", "Client 42 terminated",
                                        "terminate done"}),
              texts)
        << "TERMINATE ends without an injected CLEAN";
}

TEST_F(PipeServerTest, AClientThatClosesItsHandleIsCleanedUp)
{
    {
        CTestPipeClient client;
        ASSERT_TRUE(client.Open());
        ASSERT_EQ("SUCCESS", client.Transact("INIT;7|a|b"));
    }
    ASSERT_TRUE(m_window.WaitForExitCommand(5000));
    EXPECT_TRUE(IsClientTableEmpty());
    EXPECT_EQ(
        (std::vector<std::string>{"Client 7 cleaned up", "Removing client 7", "clean done", "record freed"}),
        Texts(m_window));
}

TEST_F(PipeServerTest, AClientProcessThatDiesIsCleanedUp)
{
    char szPath[MAX_PATH];
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strTool = szPath;
    strTool = strTool.substr(0, strTool.find_last_of('\\') + 1) + "pipe_client_tool.exe";
    std::string strCmd = "\"" + strTool + "\" init-and-exit 314";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(
        ::CreateProcessA(nullptr, &strCmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(pi.hProcess, 10000));
    DWORD dwExit = 1;
    ::GetExitCodeProcess(pi.hProcess, &dwExit);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ASSERT_EQ(0u, dwExit);
    ASSERT_TRUE(m_window.WaitForExitCommand(5000));
    EXPECT_TRUE(IsClientTableEmpty());
    EXPECT_EQ("Client 314 cleaned up", Texts(m_window).at(0));
}

TEST_F(PipeServerTest, ConnectingAndLeavingWithoutDataEndsTheMonitorSilently)
{
    {
        CTestPipeClient client;
        ASSERT_TRUE(client.Open());
    }
    EXPECT_TRUE(m_window.WaitForExitCommand(5000));
    EXPECT_TRUE(m_window.Lines().empty()) << "the injected CLEAN finds no client";
}

TEST_F(PipeServerTest, OversizeAndEmptyMessagesBreakTheConnection)
{
    CTestPipeClient big;
    ASSERT_TRUE(big.Open());
    ASSERT_EQ("SUCCESS", big.Transact("INIT;11|a|b"));
    std::string huge(5000, 'A');
    huge.replace(0, 6, "SINFO;");
    EXPECT_EQ("<broken>", big.Transact(huge));
    ASSERT_TRUE(WaitUntil([] { return IsClientTableEmpty(); }, 5000));
    EXPECT_EQ("Client 11 cleaned up", Texts(m_window).at(0));

    CTestPipeClient empty;
    ASSERT_TRUE(empty.Open());
    ASSERT_EQ("SUCCESS", empty.Transact("INIT;12|a|b"));
    ASSERT_TRUE(empty.Write("", 0));
    std::string reply;
    EXPECT_FALSE(empty.Read(reply));
    ASSERT_TRUE(WaitUntil([] { return IsClientTableEmpty(); }, 5000));
}

TEST_F(PipeServerTest, ExactlyFullMessageWithoutNulIsReadOnlyToItsEnd)
{
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    std::string full(4096, 'x');
    full.replace(0, 6, "SINFO;");
    ASSERT_TRUE(client.Write(full.data(), static_cast<DWORD>(full.size())));
    std::string reply;
    ASSERT_TRUE(client.Read(reply));
    EXPECT_EQ("SUCCESS", reply);
    ASSERT_EQ(1u, m_window.Lines().size());
    EXPECT_EQ(std::string(4090, 'x'), m_window.Lines()[0].strText);
}

TEST_F(PipeServerTest, TwoClientsWithOneIdEachHoldTheirOwnRegistration)
{
    CTestPipeClient first, second;
    ASSERT_TRUE(first.Open());
    ASSERT_EQ("SUCCESS", first.Transact("INIT;42|a|b"));
    ASSERT_TRUE(second.Open());
    ASSERT_EQ("SUCCESS", second.Transact("INIT;42|c|d"));
    EXPECT_EQ(2u, ClientTableSize());
    EXPECT_EQ("SUCCESS", second.Transact("TERMINATE;"));
    ASSERT_TRUE(WaitUntil([] { return ClientTableSize() == 1; }, 5000));
    EXPECT_FALSE(m_window.WaitForExitCommand(300)) << "the first client is still registered";
    EXPECT_EQ("SUCCESS", first.Transact("SINFO;still here"));
    EXPECT_EQ("SUCCESS", first.Transact("TERMINATE;"));
    EXPECT_TRUE(m_window.WaitForExitCommand(5000));
}

TEST_F(PipeServerTest, ASecondInitOnOneConnectionReplacesItsRegistration)
{
    {
        CTestPipeClient client;
        ASSERT_TRUE(client.Open());
        ASSERT_EQ("SUCCESS", client.Transact("INIT;1|a|b"));
        ASSERT_EQ("SUCCESS", client.Transact("INIT;2|a|b"));
        EXPECT_EQ(1u, ClientTableSize());
    }
    EXPECT_TRUE(m_window.WaitForExitCommand(5000));
    EXPECT_TRUE(IsClientTableEmpty()) << "the registration goes with its connection";
}

TEST_F(PipeServerTest, DebugModeNeverSendsTheExitCommand)
{
    MainWindowLink().Publish(m_window.GetHwnd(), true);
    for (int i = 0; i < 3; ++i)
    {
        CTestPipeClient client;
        ASSERT_TRUE(client.Open());
        ASSERT_EQ("SUCCESS", client.Transact("INIT;" + std::to_string(i + 1) + "|a|b"));
        ASSERT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    }
    ASSERT_TRUE(WaitUntil([] { return IsClientTableEmpty(); }, 5000));
    ::Sleep(200);
    EXPECT_EQ(0, m_window.ExitCommands());
}

TEST_F(PipeServerTest, LinesFromManyClientsArriveOnceAndInOrderPerClient)
{
    constexpr int kClients = 64;
    constexpr int kLines = 1000;
    std::atomic<int> nFailures{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c)
    {
        threads.emplace_back([c, &nFailures] {
            CTestPipeClient client;
            if (!client.Open(60000) || client.Transact("INIT;" + std::to_string(c + 1) + "|p|t") != "SUCCESS")
            {
                ++nFailures;
                return;
            }
            for (int i = 0; i < kLines; ++i)
            {
                if (client.Transact("SINFO;" + std::to_string(c) + ":" + std::to_string(i)) != "SUCCESS")
                    ++nFailures;
            }
            if (client.Transact("TERMINATE;") != "SUCCESS")
                ++nFailures;
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(0, nFailures.load());
    ASSERT_TRUE(WaitUntil([] { return IsClientTableEmpty(); }, 5000));

    std::vector<int> nextLine(kClients, 0);
    int nLogLines = 0;
    for (const auto& line : m_window.Lines())
    {
        if (line.nColourClass != 3)
            continue;
        const std::size_t colon = line.strText.find(':');
        const int c = std::stoi(line.strText.substr(0, colon));
        const int i = std::stoi(line.strText.substr(colon + 1));
        ASSERT_EQ(nextLine[c], i) << "client " << c;
        ++nextLine[c];
        ++nLogLines;
    }
    EXPECT_EQ(kClients * kLines, nLogLines);
}

TEST_F(PipeServerTest, LinesAfterTheWindowIsGoneAreDroppedAndStillAnswered)
{
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;3|a|b"));
    MainWindowLink().Withdraw();
    EXPECT_EQ("SUCCESS", client.Transact("SINFO;nobody sees this"));
    EXPECT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    ASSERT_TRUE(WaitUntil([] { return IsClientTableEmpty(); }, 5000));
    EXPECT_TRUE(m_window.Lines().empty());
    EXPECT_EQ(0, m_window.ExitCommands());
}
