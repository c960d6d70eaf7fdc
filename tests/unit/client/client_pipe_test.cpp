// What the real Varnel.dll puts on the monitor pipe, byte for byte, with a running
// monitor (an object in the running-object table) and a recording stand-in for the
// monitor's pipe: the announcement and the goodbyes, debug mode's start lines and
// log lines in both layouts, a refused announcement, cut and odd texts, lines after
// clean-up, the logger of the companion library, and no monitor at all.
#include "ClientTestSupport.h"
#include "ILogger.h"
#include "InstalledCompanion.h"
#include "MonitorMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace
{

using Strings = std::vector<std::string>;

const char kPath[] = "C:\\apps\\tool.exe";
const char kInit42[] = "INIT;42|C:\\apps\\tool.exe|beta";

// The eight start lines as they arrive, for the given line prefix ("INFO;[<stamp>]-> ").
Strings StartLines(const std::string& strPrefix, const std::string& strId, const std::string& strName)
{
    Strings lines;
    for (const char* pszLine : CScopedInstallation::kStartLines)
    {
        std::string strLine = pszLine;
        if (strLine == "Id %d")
            strLine = "Id " + strId;
        else if (strLine == "Name %s")
            strLine = "Name " + strName;
        lines.push_back(strPrefix + strLine);
    }
    return lines;
}

Strings Concat(std::initializer_list<Strings> parts)
{
    Strings all;
    for (const Strings& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The handles open in this process, counted one by one (Wine's GetProcessHandleCount
// reports 0).
std::size_t OpenHandleCount()
{
    std::size_t nCount = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4)
    {
        DWORD dwFlags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &dwFlags))
            ++nCount;
    }
    return nCount;
}

class ClientPipe : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_installation.Install();
        ASSERT_TRUE(m_pMonitor->IsRegistered());
    }

    // Loads the library with QX_LMDEBUGLOGLEVEL set to pszDebug (null: unset).
    void Load(const char* pszDebug)
    {
        CScopedEnvironmentVariable variable("QX_LMDEBUGLOGLEVEL", pszDebug);
        ASSERT_TRUE(m_varnel.Load());
    }

    void StartServer(const CRecordingPipeServer::Options& options = CRecordingPipeServer::Options())
    {
        m_pServer = std::make_unique<CRecordingPipeServer>(m_installation.Folder(), options);
    }

    // The requests so far, once at least nCount have arrived.
    Strings Requests(std::size_t nCount)
    {
        EXPECT_TRUE(m_pServer->WaitForRequests(nCount)) << "only " << m_pServer->Requests().size();
        return Normalised(m_pServer->Requests());
    }

    CNoMonitorRegistration m_noStartableMonitor;
    CScopedInstallation m_installation;
    std::unique_ptr<CRunningMonitorObject> m_pMonitor = std::make_unique<CRunningMonitorObject>();
    std::unique_ptr<CRecordingPipeServer> m_pServer;
    CVarnelLibrary m_varnel; // unloaded before the server and the monitor go
};

} // namespace

TEST_F(ClientPipe, OutsideDebugModeOnlyTheAnnouncementAndTheGoodbyesTravel)
{
    StartServer();
    Load(nullptr);
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    m_varnel.SendLogMessage("not sent", 1);
    m_varnel.CleanUp();
    EXPECT_EQ(Strings({kInit42, "TERMINATE;"}), Requests(2));

    // A new initialisation connects anew; unloading without clean-up says CLEAN.
    ASSERT_EQ(0, m_varnel.InitializeEx(-7, "C:\\apps\\calc.exe", "gamma", 5));
    m_varnel.SendLogMessage("not sent", 0);
    m_varnel.Unload();
    EXPECT_EQ(Strings({kInit42, "TERMINATE;", "INIT;-7|C:\\apps\\calc.exe|gamma", "CLEAN;"}), Requests(4));
    EXPECT_EQ(2, m_pServer->Connections());
    // Exact bytes: each request is its text and one NUL.
    EXPECT_EQ(std::string(kInit42) + '\0', m_pServer->Requests()[0]);
    EXPECT_EQ(std::string("TERMINATE;") + '\0', m_pServer->Requests()[1]);
}

TEST_F(ClientPipe, DebugModeInitializeSendsShortStartLinesThenLongLogLines)
{
    StartServer();
    Load(""); // present, even empty: debug mode
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    const int kinds[] = {0, 1, 2, 3, 7, -1};
    for (int nKind : kinds)
        m_varnel.SendLogMessage(("kind " + std::to_string(nKind)).c_str(), nKind);
    m_varnel.SendLogMessage("a;b;c", 0);
    m_varnel.SendLogMessage(nullptr, 1);
    m_varnel.CleanUp();

    const std::string strLong = ";[<stamp>:tool:42]-> ";
    const Strings expected = Concat({
        {kInit42},
        StartLines("INFO;[<stamp>]-> ", "42", "tool"),
        {"INFO" + strLong + "kind 0", "ERROR" + strLong + "kind 1", "SINFO" + strLong + "kind 2",
         "SERROR" + strLong + "kind 3", "INFO" + strLong + "kind 7", "INFO" + strLong + "kind -1",
         "INFO" + strLong + "a;b;c", "ERROR" + strLong},
        {"INFO" + strLong + "Cleaning up", "INFO" + strLong + "Cleaned up", "TERMINATE;"},
    });
    EXPECT_EQ(expected, Requests(expected.size()));

    // The monitor has closed its end: later lines are lost, nothing hangs.
    m_varnel.SendLogMessage("after clean-up", 0);
    m_varnel.SendLogMessage("and again", 0);
    Sleep(200);
    EXPECT_EQ(expected.size(), m_pServer->Requests().size());
}

TEST_F(ClientPipe, DebugModeInitializeExSendsLongStartLinesAndCleanOnUnload)
{
    StartServer();
    Load("ZOVLOGGER=1;INFO=1");
    ASSERT_EQ(0, m_varnel.InitializeEx(-7, "C:\\apps\\calc.exe", "gamma", 3));
    m_varnel.Unload();

    const std::string strPrefix = "INFO;[<stamp>:calc:-7]-> ";
    const Strings expected = Concat({
        {"INIT;-7|C:\\apps\\calc.exe|gamma"},
        StartLines(strPrefix, "-7", "calc"),
        {strPrefix + "Cleaning up", strPrefix + "Cleaned up", "CLEAN;"},
    });
    EXPECT_EQ(expected, Requests(expected.size()));
}

TEST_F(ClientPipe, RefusedAnnouncementSendsNoStartLinesAndKeepsTheShortLayout)
{
    CRecordingPipeServer::Options options;
    options.strInitReply = "FAIL";
    StartServer(options);
    Load("");
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    m_varnel.SendLogMessage("after refusal", 2);
    m_varnel.CleanUp();
    EXPECT_EQ(Strings({kInit42, "SINFO;[<stamp>]-> after refusal", "INFO;[<stamp>]-> Cleaning up",
                       "INFO;[<stamp>]-> Cleaned up", "TERMINATE;"}),
              Requests(5));

    // InitializeEx has set its log name and id before it asked.
    ASSERT_EQ(0, m_varnel.InitializeEx(5, kPath, "beta", 0));
    m_varnel.SendLogMessage("after refusal", 3);
    m_varnel.CleanUp();
    const Strings all = Requests(10);
    EXPECT_EQ(
        Strings({"INIT;5|C:\\apps\\tool.exe|beta", "SERROR;[<stamp>:tool:5]-> after refusal",
                 "INFO;[<stamp>:tool:5]-> Cleaning up", "INFO;[<stamp>:tool:5]-> Cleaned up", "TERMINATE;"}),
        Strings(all.begin() + 5, all.end()));
}

// A reply far longer than any reply buffer is read to its end and cut into the
// caller's buffer: the announcement counts as accepted and the conversation goes on.
TEST_F(ClientPipe, OverlongRepliesAreReadWholeAndCutToTheirBuffers)
{
    CRecordingPipeServer::Options options;
    // The longest reply one read takes, and one that needs a second read.
    options.strInitReply = "FAIL" + std::string(4092, 'r');
    options.strOtherReply = std::string(5000, 's');
    StartServer(options);
    Load("");
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    m_varnel.SendLogMessage("next", 0);
    m_varnel.CleanUp();
    const Strings expected = Concat({{kInit42},
                                     StartLines("INFO;[<stamp>]-> ", "42", "tool"),
                                     {"INFO;[<stamp>:tool:42]-> next", "INFO;[<stamp>:tool:42]-> Cleaning up",
                                      "INFO;[<stamp>:tool:42]-> Cleaned up", "TERMINATE;"}});
    EXPECT_EQ(expected, Requests(expected.size()));
}

TEST_F(ClientPipe, LongTextsAreCutToTheRequestLimitAndDelivered)
{
    StartServer();
    Load("");
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, std::string(5000, 'i').c_str()));
    m_varnel.SendLogMessage(std::string(5000, 'x').c_str(), 1);
    m_varnel.SendLogMessage("short again", 1);
    m_varnel.CleanUp();

    ASSERT_TRUE(m_pServer->WaitForRequests(14));
    const Strings raw = m_pServer->Requests();
    ASSERT_EQ(14u, raw.size());
    // The announcement: 4095 characters and the NUL.
    const std::string strInitPrefix = "INIT;42|C:\\apps\\tool.exe|";
    EXPECT_EQ(strInitPrefix + std::string(4095 - strInitPrefix.size(), 'i') + '\0', raw[0]);
    ASSERT_EQ(4096u, raw[9].size());
    const std::string strPrefix = "ERROR;[<stamp>:tool:42]-> ";
    const std::string strLine = Normalised(raw[9]);
    EXPECT_EQ(0u, strLine.find(strPrefix)) << strLine.substr(0, 60);
    EXPECT_EQ(std::string::npos, strLine.find_first_not_of('x', strPrefix.size()));
    EXPECT_EQ("ERROR;[<stamp>:tool:42]-> short again", Normalised(raw[10]));
}

// The logger that QX_LMDEBUGLOGLEVEL creates in a host process is handed to the
// companion library and writes through the pipe; it is withdrawn before the
// library unloads.
TEST_F(ClientPipe, CompanionLoggerWritesThroughThePipeAndIsWithdrawnAtUnload)
{
    ASSERT_TRUE(m_installation.AddCompanionLibrary());
    StartServer();
    Load("ZOVLOGGER=1;INFO=1;ERROR=1");
    // A 64-bit host loads the companion library of its bitness, from the x64 folder.
    const HMODULE hCompanion = GetModuleHandleA(InstalledCompanion::PathIn(m_installation.Folder() + "\\").c_str());
    ASSERT_NE(nullptr, hCompanion);
    typedef Marvane::NativeLogging::ILogger*(__cdecl * PFN_LAST_LOGGER)();
    const PFN_LAST_LOGGER pfnLastLogger = reinterpret_cast<PFN_LAST_LOGGER>(
        reinterpret_cast<void*>(GetProcAddress(hCompanion, "TestCompanion_LastLogger")));
    ASSERT_NE(nullptr, pfnLastLogger);
    Marvane::NativeLogging::ILogger* pLogger = pfnLastLogger();
    ASSERT_NE(nullptr, pLogger);

    pLogger->Info(L"before the connection"); // goes nowhere
    ASSERT_EQ(0, m_varnel.Initialize(1001, "C:\\Apps\\calc.exe", "x"));
    pLogger->Info(L"Connected");
    pLogger->Debug(L"filtered out");
    pLogger->ErrorFormat(L"code %d", 7);
    m_varnel.CleanUp();

    const std::string strPrefix = ";[<stamp>:calc:1001]-> ";
    const Strings expected =
        Concat({{"INIT;1001|C:\\Apps\\calc.exe|x"},
                StartLines("INFO;[<stamp>]-> ", "1001", "calc"),
                {"SINFO" + strPrefix + "Connected", "SERROR" + strPrefix + "code 7",
                 "INFO" + strPrefix + "Cleaning up", "INFO" + strPrefix + "Cleaned up", "TERMINATE;"}});
    EXPECT_EQ(expected, Requests(expected.size()));

    m_varnel.Unload();
    EXPECT_EQ(nullptr, pfnLastLogger()) << "the companion still holds the freed logger";
}

// Without any monitor (nothing running, nothing registered) the results stay as they
// are and nothing reaches the pipe, even though one exists.
TEST_F(ClientPipe, WithoutAMonitorNothingIsSent)
{
    m_pMonitor.reset();
    StartServer();
    Load("");
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
    const DWORD dwStart = GetTickCount();
    for (int i = 0; i < 50; ++i)
        m_varnel.SendLogMessage("no connection", 0);
    EXPECT_LT(ElapsedSince(dwStart), 1000u);
    m_varnel.CleanUp();
    ASSERT_EQ(0, m_varnel.InitializeEx(42, kPath, "beta", 0));
    m_varnel.Unload();
    Sleep(200);
    EXPECT_TRUE(m_pServer->Requests().empty());
    EXPECT_EQ(0, m_pServer->Connections());
}

// INIT is the first request of every connection, even while another thread of the
// host logs all the time: its lines wait until the announcement has been answered.
TEST_F(ClientPipe, InitIsTheFirstRequestOfEveryConnectionWhileAnotherThreadLogs)
{
    StartServer();
    Load("");
    std::atomic<bool> bStop{false};
    std::thread otherThread([&] {
        while (!bStop)
            m_varnel.SendLogMessage("from another thread", 0);
    });
    for (int i = 0; i < 5; ++i)
    {
        ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
        m_varnel.CleanUp();
    }
    bStop = true;
    otherThread.join();
    EXPECT_EQ(Strings(5, kInit42), Normalised(m_pServer->FirstRequests()));
}

// A new connection closes the handle of the one it replaces.
TEST_F(ClientPipe, ReconnectingDoesNotLeakHandles)
{
    StartServer();
    Load("");
    auto cycle = [this] {
        ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));
        m_varnel.CleanUp();
        m_varnel.SendLogMessage("fails at its write", 0);
    };
    for (int i = 0; i < 3; ++i)
        cycle();
    ASSERT_TRUE(m_pServer->WaitForRequests(3 * 12));
    const std::size_t nBefore = OpenHandleCount();
    for (int i = 0; i < 20; ++i)
        cycle();
    ASSERT_TRUE(m_pServer->WaitForRequests(23 * 12));
    const std::size_t nAfter = OpenHandleCount();
    EXPECT_LT(nAfter, nBefore + 5) << "before " << nBefore << ", after 20 connections " << nAfter;
}

// ZOVLC_CleanUp says goodbye inside the monitor's named mutex (when it existed
// at load), so the clean-ups of several hosts follow one another; the mutex is free
// again afterwards.
TEST_F(ClientPipe, CleanUpWaitsForTheMonitorMutexAndReleasesIt)
{
    const HANDLE hMutex = CreateMutexA(nullptr, FALSE, Protocol::kMonitorMutexName); // as the monitor does
    ASSERT_NE(nullptr, hMutex);
    StartServer();
    Load(nullptr);
    ASSERT_EQ(0, m_varnel.Initialize(42, kPath, "beta"));

    const HANDLE hHeld = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE hRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread otherHost([&] {
        WaitForSingleObject(hMutex, INFINITE);
        SetEvent(hHeld);
        WaitForSingleObject(hRelease, INFINITE);
        ReleaseMutex(hMutex);
    });
    WaitForSingleObject(hHeld, INFINITE);
    std::thread cleanUp([this] { m_varnel.CleanUp(); });
    Sleep(300);
    EXPECT_EQ(1u, m_pServer->Requests().size()) << "TERMINATE went out while another host cleaned up";
    SetEvent(hRelease);
    cleanUp.join();
    otherHost.join();
    EXPECT_EQ(Strings({kInit42, "TERMINATE;"}), Requests(2));

    std::thread probe([&] {
        const DWORD dwWait = WaitForSingleObject(hMutex, 0);
        EXPECT_EQ(WAIT_OBJECT_0, dwWait) << "the library kept the mutex";
        if (dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED)
            ReleaseMutex(hMutex);
    });
    probe.join();
    m_varnel.Unload();
    CloseHandle(hHeld);
    CloseHandle(hRelease);
    CloseHandle(hMutex);
}
