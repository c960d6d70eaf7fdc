// The system end to end: host processes load the real Varnel.dll and drive the
// real Tessaly.exe, which COM starts for the first of them (or a test starts by
// hand). The console is read across the process boundary.
//
// The monitor's environment: COM starts the monitor with whatever environment
// the platform gives it. Under Wine the host's own COM library creates the
// process, which so inherits the host's environment at that moment; under
// Windows the COM service launches it with the user's environment instead. So
// every host here removes QX_LMDEBUGLOGLEVEL again right after loading the library
// (its debug mode is fixed at load): a monitor started by COM then runs outside
// debug mode on either platform. A monitor in debug mode is started by the test.
#include "ConsoleInspection.h"
#include "HostProcess.h"
#include "HostTestFixture.h"
#include "MonitorMutex.h"
#include "MonitorProcess.h"
#include "ProcessInspection.h"
#include "TestInstallation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

namespace
{

constexpr char kToolPath[] = "C:\\apps\\tool.exe";
constexpr char kClsidKey[] = "CLSID\\{E2156BC5-6423-46F8-8B16-B6B1D88558E5}";

// The console's first lines with the test catalogue: eight banner lines and two blank ones.
constexpr char kBanner[] = "Banner line 1\r\nBanner line 2\r\nBanner line 3\r\nBanner line 4\r\n"
                           "Banner line 5\r\nBanner line 6\r\nBanner line 7\r\nBanner line 8\r\n \r\n \r\n";

// One console line of a host in the long layout, its time stamp replaced.
std::string HostLine(const std::string& strName, int nId, const std::string& strText)
{
    return "[[stamp]:" + strName + ":" + std::to_string(nId) + "]-> " + strText + "\r\n";
}

// The eight start lines of a host that initialised with ZOVLC_Initialize: they go
// out before the log id is set, so in the short layout.
std::string StartLines(int nId, const std::string& strName)
{
    std::string strLines;
    for (const std::string& strText :
         {std::string("Start line 1"), std::string("Start line 2"), "Application id " + std::to_string(nId),
          "Application name " + strName, std::string("Start line 5"), std::string("Start line 6"),
          std::string("Start line 7"), std::string("Start line 8")})
        strLines += "[[stamp]]-> " + strText + "\r\n";
    return strLines;
}

// The two lines a host in debug mode sends while it says goodbye.
std::string CleanUpLines(const std::string& strName, int nId)
{
    return HostLine(strName, nId, "Clean-up begins") + HostLine(strName, nId, "Clean-up ends");
}

// The monitor's notes on a TERMINATE and on a CLEAN (sent, or made up for a broken pipe).
std::string TerminateNotes(int nId)
{
    return "Client " + std::to_string(nId) + " has terminated.\r\nTerminate handled.\r\n";
}

std::string CleanNotes(int nId)
{
    const std::string strId = std::to_string(nId);
    return "Client " + strId + " is being cleaned up.\r\nClient " + strId +
           " removed.\r\nClean-up handled.\r\nClient record freed.\r\n";
}

constexpr DWORD kExitLimitMs = 15000;
constexpr UINT kExitMonitorCommand = 32772;

// The milliseconds that end a host's reply ("ok [result] MILLISECONDS"); MAXDWORD without them.
DWORD ReplyMilliseconds(const std::string& strReply)
{
    const std::size_t nLast = strReply.find_last_of(' ');
    if (strReply.compare(0, 2, "ok") != 0 || nLast == std::string::npos)
        return MAXDWORD;
    return static_cast<DWORD>(std::strtoul(strReply.c_str() + nLast + 1, nullptr, 10));
}

void DeleteMonitorClassRegistration()
{
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "Tessaly.AppMon");
}

bool IsMonitorClassRegistered()
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, (std::string(kClsidKey) + "\\LocalServer32").c_str(), 0, KEY_READ,
                        &hKey) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(hKey);
    return true;
}

// The registration run of the real monitor, as an installer makes it.
bool RegisterMonitorClass()
{
    CMonitorProcess registration;
    return registration.Start("/Register") && registration.WaitForExit() && IsMonitorClassRegistered();
}

// The text's lines (each with its CR LF), sorted.
std::vector<std::string> SortedLines(const std::string& strText)
{
    std::vector<std::string> lines;
    for (std::size_t nStart = 0; nStart < strText.size();)
    {
        const std::size_t nEnd = strText.find('\n', nStart);
        const std::size_t nNext = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        lines.push_back(strText.substr(nStart, nNext - nStart));
        nStart = nNext;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The lines of the text (with their CR LF) that contain one of the needles, in order.
std::string LinesContaining(const std::string& strText, std::initializer_list<const char*> needles)
{
    std::string strFound;
    for (std::size_t nStart = 0; nStart < strText.size();)
    {
        const std::size_t nEnd = strText.find('\n', nStart);
        const std::size_t nNext = nEnd == std::string::npos ? strText.size() : nEnd + 1;
        const std::string strLine = strText.substr(nStart, nNext - nStart);
        for (const char* pszNeedle : needles)
        {
            if (strLine.find(pszNeedle) != std::string::npos)
            {
                strFound += strLine;
                break;
            }
        }
        nStart = nNext;
    }
    return strFound;
}

bool StaysRunning(const CMonitorProcess& monitor, DWORD dwMilliseconds)
{
    ::Sleep(dwMilliseconds);
    return monitor.IsRunning();
}

class SystemTest : public CHostsAndMonitorsTest
{
protected:
    // A host with its library loaded, in debug mode unless pszDebugLevel is null.
    static bool StartHost(CHostProcess& host, const char* pszDebugLevel)
    {
        return host.Start() && host.LoadLibraryWithDebugLevel(pszDebugLevel);
    }

    // ZOVLC_Initialize with the client text "beta"; true when it returned 0.
    static bool InitializeHost(CHostProcess& host, int nId, const std::string& strPath)
    {
        int nResult = -99;
        DWORD dwMilliseconds = 0;
        return host.Initialize(nId, strPath, "beta", nResult, dwMilliseconds) && nResult == 0;
    }

    CTestInstallation m_installation{CTestInstallation::Kind::kWithCatalogue};
};

} // namespace

// The first host finds no monitor running: COM starts it, and everything the host
// sends from its announcement on reaches the console, in order and in its colours.
TEST_F(SystemTest, FirstHostHasComStartTheMonitorAndItsWholeSessionAppears)
{
    ASSERT_TRUE(RegisterMonitorClass());
    ASSERT_TRUE(MonitorProcessIds().empty());

    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    int nResult = -99;
    DWORD dwInitMs = 0;
    ASSERT_TRUE(host.Initialize(42, kToolPath, "beta", nResult, dwInitMs));
    EXPECT_EQ(0, nResult);
    std::printf("[ timing ] first ZOVLC_Initialize, COM starting the monitor: %lu ms\n",
                static_cast<unsigned long>(dwInitMs));

    CMonitorProcess monitor;
    ASSERT_TRUE(AttachToTheMonitor(monitor));
    {
        HANDLE hProcess =
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, monitor.ProcessId());
        ASSERT_NE(nullptr, hProcess);
        const std::wstring strCommandLine = ProcessCommandLine(hProcess);
        bool bReadable = false;
        const bool bHasVariable = ProcessHasEnvironmentVariable(hProcess, L"QX_LMDEBUGLOGLEVEL", bReadable);
        ::CloseHandle(hProcess);
        std::printf("[ started ] %ls\n", strCommandLine.c_str());
        EXPECT_NE(std::wstring::npos, strCommandLine.find(L"-Embedding")) << "started by COM";
        EXPECT_TRUE(bReadable);
        EXPECT_FALSE(bHasVariable) << "the monitor must run outside debug mode here";
    }

    // ZOVLC_Initialize returns only once the monitor has shown the start lines.
    EXPECT_EQ(std::string(kBanner) + StartLines(42, "tool"), WithStampsReplaced(monitor.ConsoleText()));

    EXPECT_NE(MAXDWORD, host.Log(0, "kind 0 is INFO"));
    EXPECT_NE(MAXDWORD, host.Log(1, "kind 1 is ERROR"));
    EXPECT_NE(MAXDWORD, host.Log(2, "kind 2 is SINFO"));
    EXPECT_NE(MAXDWORD, host.Log(3, "kind 3 is SERROR"));
    EXPECT_NE(MAXDWORD, host.Log(7, "kind 7 is INFO too"));
    EXPECT_EQ(std::string(kBanner) + StartLines(42, "tool") +
                  "[[stamp]:tool:42]-> kind 0 is INFO\r\n[[stamp]:tool:42]-> kind 1 is ERROR\r\n"
                  "[[stamp]:tool:42]-> kind 2 is SINFO\r\n[[stamp]:tool:42]-> kind 3 is SERROR\r\n"
                  "[[stamp]:tool:42]-> kind 7 is INFO too\r\n",
              WithStampsReplaced(monitor.ConsoleText()));

    EXPECT_EQ(RGB(0, 0, 0), ColourOfLineWith(monitor, "kind 0 is INFO"));
    EXPECT_EQ(RGB(255, 0, 0), ColourOfLineWith(monitor, "kind 1 is ERROR"));
    EXPECT_EQ(RGB(0, 128, 128), ColourOfLineWith(monitor, "kind 2 is SINFO"));
    EXPECT_EQ(RGB(255, 64, 0), ColourOfLineWith(monitor, "kind 3 is SERROR"));
    EXPECT_EQ(RGB(0, 0, 0), ColourOfLineWith(monitor, "kind 7 is INFO too"));
    EXPECT_EQ(RGB(0, 0, 0), ColourOfLineWith(monitor, "Start line 1"));

    std::printf("[ console ]\n%s[ end ]\n", monitor.ConsoleText().c_str());

    // The host was the only client: its goodbye ends the monitor.
    EXPECT_EQ('o', host.Command("cleanup")[0]);
    EXPECT_TRUE(monitor.WaitForExit(kExitLimitMs));
}

// Each way a host can leave, as a monitor in debug mode (it stays) shows it: an
// orderly clean-up says TERMINATE; unloading the library, or ending the process
// with it loaded, says CLEAN after the clean-up lines; a host that is killed in the
// middle of its lines leaves a broken pipe, which the monitor cleans up by itself.
TEST_F(SystemTest, EveryKindOfGoodbyeIsNotedAndADebugModeMonitorStays)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    std::string strExpected = kBanner;

    {
        CHostProcess host;
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 42, "C:\\apps\\tool.exe"));
        EXPECT_EQ('o', host.Command("cleanup")[0]);
        strExpected += StartLines(42, "tool") + CleanUpLines("tool", 42) + TerminateNotes(42);
        EXPECT_EQ(strExpected, WithStampsReplaced(monitor.ConsoleText())) << "after ZOVLC_CleanUp";
    }
    {
        CHostProcess host;
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 43, "C:\\apps\\other.exe"));
        EXPECT_EQ('o', host.Command("unload")[0]);
        strExpected += StartLines(43, "other") + CleanUpLines("other", 43) + CleanNotes(43);
        EXPECT_EQ(strExpected, WithStampsReplaced(monitor.ConsoleText())) << "after FreeLibrary";
    }
    {
        CHostProcess host;
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 44, "C:\\apps\\third.exe"));
        ASSERT_TRUE(host.Send("exit"));
        ASSERT_TRUE(host.WaitForExit(kExitLimitMs));
        strExpected += StartLines(44, "third") + CleanUpLines("third", 44) + CleanNotes(44);
        EXPECT_TRUE(monitor.WaitForConsoleText(CleanNotes(44)));
        EXPECT_EQ(strExpected, WithStampsReplaced(monitor.ConsoleText())) << "after the host's process ended";
    }
    {
        CHostProcess host;
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 45, "C:\\apps\\fourth.exe"));
        ASSERT_EQ("ok", host.Command("stream 2 streamed"));
        ASSERT_TRUE(monitor.WaitForConsoleText("streamed #20\r\n"));
        host.Terminate();
        ASSERT_TRUE(monitor.WaitForConsoleText(CleanNotes(45)));
        strExpected += StartLines(45, "fourth");
        const std::string strText = WithStampsReplaced(monitor.ConsoleText());
        ASSERT_EQ(strExpected, strText.substr(0, strExpected.size()));
        // Every line the host sent is there, in order, then the notes, and no clean-up lines.
        std::string strRest = strText.substr(strExpected.size());
        int nLines = 0;
        for (std::string strLine = HostLine("fourth", 45, "streamed #1");
             strRest.compare(0, strLine.size(), strLine) == 0;
             strLine = HostLine("fourth", 45, "streamed #" + std::to_string(++nLines + 1)))
            strRest.erase(0, strLine.size());
        EXPECT_GE(nLines, 20);
        EXPECT_EQ(CleanNotes(45), strRest) << "after the host was killed";
    }
    EXPECT_TRUE(monitor.IsRunning()) << "a monitor in debug mode stays after its last client";
}

// Outside debug mode, the monitor that COM started for a host ends when that host,
// its only client, goes: also without ZOVLC_CleanUp and when it is killed.
TEST_F(SystemTest, WithoutDebugModeTheLastHostLeavingEndsTheMonitorWhicheverWayItLeaves)
{
    ASSERT_TRUE(RegisterMonitorClass());
    for (const char* pszGoodbye : {"unload", "exit", "kill while streaming"})
    {
        CHostProcess host;
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 42, kToolPath)) << pszGoodbye;
        CMonitorProcess monitor;
        ASSERT_TRUE(AttachToTheMonitor(monitor)) << pszGoodbye;
        const std::string strGoodbye = pszGoodbye;
        const DWORD dwStart = ::GetTickCount();
        if (strGoodbye == "unload")
            EXPECT_EQ('o', host.Command("unload")[0]);
        else if (strGoodbye == "exit")
        {
            EXPECT_TRUE(host.Send("exit"));
            EXPECT_TRUE(host.WaitForExit(kExitLimitMs)) << "the host's process must end";
        }
        else
        {
            ASSERT_EQ("ok", host.Command("stream 0 streamed"));
            ASSERT_TRUE(monitor.WaitForConsoleText("streamed #5\r\n"));
            host.Terminate();
        }
        EXPECT_TRUE(monitor.WaitForExit(kExitLimitMs)) << pszGoodbye;
        std::printf("[ timing ] %s: monitor gone after %lu ms\n", pszGoodbye,
                    static_cast<unsigned long>(::GetTickCount() - dwStart));
    }
}

// Two hosts start at the same moment: one monitor serves both, shows both, and
// stays until the second has gone.
TEST_F(SystemTest, TwoHostsAtOnceShareOneMonitorThatStaysUntilTheLastLeaves)
{
    ASSERT_TRUE(RegisterMonitorClass());
    CHostProcess first;
    CHostProcess second;
    ASSERT_TRUE(StartHost(first, ""));
    ASSERT_TRUE(StartHost(second, ""));
    // Both initialise at once, and neither finds a monitor running.
    ASSERT_TRUE(first.Send("init 42 C:\\apps\\tool.exe beta"));
    ASSERT_TRUE(second.Send("init 43 C:\\apps\\other.exe gamma"));
    EXPECT_EQ("ok 0", first.ReadReply().substr(0, 4));
    EXPECT_EQ("ok 0", second.ReadReply().substr(0, 4));

    // COM may have started a monitor for each; the one that lost ends by itself.
    const DWORD dwStart = ::GetTickCount();
    while (MonitorProcessIds().size() > 1 && ::GetTickCount() - dwStart < kExitLimitMs)
        ::Sleep(20);
    CMonitorProcess monitor;
    ASSERT_TRUE(AttachToTheMonitor(monitor));

    EXPECT_NE(MAXDWORD, first.Log(1, "the first host reports"));
    EXPECT_NE(MAXDWORD, second.Log(3, "the second host reports"));
    // The lines of the two hosts may interleave, so they are compared as sets; each
    // host's own come in its order (the start lines carry no name: the ids tell).
    const std::string strText = WithStampsReplaced(monitor.ConsoleText());
    EXPECT_EQ(0u, strText.find(kBanner));
    EXPECT_EQ(SortedLines(kBanner + StartLines(42, "tool") + StartLines(43, "other") +
                          HostLine("tool", 42, "the first host reports") +
                          HostLine("other", 43, "the second host reports")),
              SortedLines(strText));
    EXPECT_EQ("[[stamp]]-> Application id 42\r\n[[stamp]]-> Application name tool\r\n" +
                  HostLine("tool", 42, "the first host reports"),
              LinesContaining(strText, {" 42\r", " tool\r", ":tool:42]"}));

    EXPECT_EQ('o', first.Command("cleanup")[0]);
    EXPECT_TRUE(monitor.WaitForConsoleText(TerminateNotes(42)));
    EXPECT_TRUE(StaysRunning(monitor, 1000)) << "the second host is still there";
    std::printf("[ console ]\n%s[ end ]\n", monitor.ConsoleText().c_str());

    EXPECT_EQ('o', second.Command("unload")[0]);
    EXPECT_TRUE(monitor.WaitForExit(kExitLimitMs));
}

// What a host's text turns into on its way: the monitor shows it only up to a ";",
// and a text too long for one request is cut to fit and still delivered, after
// which the connection goes on as before.
TEST_F(SystemTest, TextsAreCutAtASemicolonAndToTheRequestLimit)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    ASSERT_TRUE(InitializeHost(host, 42, kToolPath));

    EXPECT_NE(MAXDWORD, host.Log(0, "before;after"));
    EXPECT_NE(MAXDWORD, host.Log(2, std::string(5000, 'x')));
    EXPECT_NE(MAXDWORD, host.Log(0, "still connected"));

    // A request holds at most 4095 characters: the word, the prefix with its time
    // stamp, and as much of the text as fits.
    const std::size_t nRequestLimit = 4095;
    const std::size_t nKept = nRequestLimit - std::string("SINFO;").size() -
                              std::string("[[12-08-2026 07:58:38]:tool:42]-> ").size();
    EXPECT_EQ(std::string(kBanner) + StartLines(42, "tool") + HostLine("tool", 42, "before") +
                  HostLine("tool", 42, std::string(nKept, 'x')) + HostLine("tool", 42, "still connected"),
              WithStampsReplaced(monitor.ConsoleText()));
}

// Neither registered with COM nor running: the host initialises as usual, and its
// log lines and clean-up cost nothing, since there is nothing to wait for.
TEST_F(SystemTest, WithoutARegisteredOrRunningMonitorTheHostGoesOnAtOnce)
{
    DeleteMonitorClassRegistration();
    ASSERT_FALSE(IsMonitorClassRegistered());
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    int nResult = -99;
    DWORD dwInitMs = MAXDWORD;
    ASSERT_TRUE(host.Initialize(42, kToolPath, "beta", nResult, dwInitMs));
    EXPECT_EQ(0, nResult);
    EXPECT_LT(dwInitMs, 2000u);
    for (int nKind : {0, 1, 2, 3})
        EXPECT_LT(host.Log(nKind, "nobody listens"), 200u) << "kind " << nKind;
    const std::string strCleanUp = host.Command("cleanup");
    EXPECT_EQ("ok ", strCleanUp.substr(0, 3));
    EXPECT_LT(std::atoi(strCleanUp.c_str() + 3), 200);
    EXPECT_TRUE(MonitorProcessIds().empty()) << "nothing may have started a monitor";
    std::printf("[ timing ] without a monitor: ZOVLC_Initialize %lu ms\n",
                static_cast<unsigned long>(dwInitMs));

    // What the installer does; the later tests find the class registered again.
    EXPECT_TRUE(RegisterMonitorClass());
}

// A monitor that runs already (started by hand, outside debug mode) is reached at
// once, without any wait for its pipe; when its only client cleans up, it ends.
TEST_F(SystemTest, ARunningMonitorIsReachedWithoutWaitingAndEndsAfterItsOnlyClient)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    int nResult = -99;
    DWORD dwInitMs = MAXDWORD;
    ASSERT_TRUE(host.Initialize(42, kToolPath, "beta", nResult, dwInitMs));
    EXPECT_EQ(0, nResult);
    std::printf("[ timing ] ZOVLC_Initialize with the monitor running: %lu ms\n",
                static_cast<unsigned long>(dwInitMs));
    // Starting a monitor through COM takes a second at least; this took no start and no wait.
    EXPECT_LT(dwInitMs, 1000u);
    EXPECT_EQ(1u, MonitorProcessIds().size());
    EXPECT_NE(MAXDWORD, host.Log(0, "reached"));
    EXPECT_EQ(std::string(kBanner) + StartLines(42, "tool") + HostLine("tool", 42, "reached"),
              WithStampsReplaced(monitor.ConsoleText()));

    EXPECT_EQ('o', host.Command("cleanup")[0]);
    EXPECT_TRUE(monitor.WaitForExit(kExitLimitMs));
}

// The running monitor has created its named mutex, and a host's library has
// opened that same mutex: while another process holds it, the host's clean-up
// waits for it.
TEST_F(SystemTest, AHostsCleanUpWaitsForTheMutexThatTheRunningMonitorCreated)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    const HANDLE hMutex = ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, Protocol::kMonitorMutexName);
    ASSERT_NE(nullptr, hMutex) << "the monitor has not created its mutex";
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    ASSERT_TRUE(InitializeHost(host, 42, kToolPath));

    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(hMutex, 0));
    ASSERT_TRUE(host.Send("cleanup"));
    EXPECT_EQ("<no reply>", host.ReadReply(1500)) << "the clean-up did not wait for the mutex";
    ::ReleaseMutex(hMutex);
    EXPECT_EQ("ok", host.ReadReply().substr(0, 2));
    EXPECT_TRUE(monitor.WaitForConsoleText(TerminateNotes(42)));
    ::CloseHandle(hMutex);
}

// A monitor that has stopped (every thread of it suspended, as a debugger does)
// holds no host for long: a line waits at most 5 s for its reply, then the host's
// connection is closed and its clean-up and FreeLibrary come back as soon; a host
// that initialises meanwhile gets its usual result once the COM lookup (10 s) and
// its announcement (5 s) have run out.
TEST_F(SystemTest, AMonitorThatHasStoppedHoldsNoHostForLong)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CHostProcess logging;
    CHostProcess unloading;
    CHostProcess initialising;
    ASSERT_TRUE(StartHost(logging, ""));
    ASSERT_TRUE(InitializeHost(logging, 42, kToolPath));
    ASSERT_TRUE(StartHost(unloading, ""));
    ASSERT_TRUE(InitializeHost(unloading, 43, "C:\\apps\\other.exe"));
    ASSERT_TRUE(StartHost(initialising, ""));

    SetProcessSuspended(monitor.ProcessId(), true);
    ASSERT_TRUE(logging.Send("log 0 while the monitor has stopped"));
    ASSERT_TRUE(unloading.Send("unload"));
    ASSERT_TRUE(initialising.Send("init 44 C:\\apps\\third.exe beta"));
    const std::string strLog = logging.ReadReply(40000);
    const std::string strUnload = unloading.ReadReply(40000);
    const std::string strInit = initialising.ReadReply(40000);
    const std::string strCleanUp = logging.Command("cleanup", 40000);
    SetProcessSuspended(monitor.ProcessId(), false);
    std::printf("[ timing ] stopped monitor: log %s, unload %s, init %s, clean-up %s\n", strLog.c_str(),
                strUnload.c_str(), strInit.c_str(), strCleanUp.c_str());

    // Within the limits that varnel.h states.
    EXPECT_LE(ReplyMilliseconds(strLog), 10250u) << strLog;
    EXPECT_LE(ReplyMilliseconds(strUnload), 10000u) << strUnload;
    EXPECT_LE(ReplyMilliseconds(strCleanUp), 15250u) << strCleanUp;
    EXPECT_EQ("ok 0 ", strInit.substr(0, 5));
    EXPECT_LE(ReplyMilliseconds(strInit), 26000u) << strInit;
}

// A monitor that COM starts but that never gets as far as offering itself (here it
// waits at its installation box: the installation's key went after the host had
// read it) holds the host's initialisation no longer than varnel.h states, and the
// result is the usual one.
TEST_F(SystemTest, AMonitorThatNeverFinishesStartingHoldsInitialisationNoLongerThanItsLimit)
{
    ASSERT_TRUE(RegisterMonitorClass());
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, nullptr));
    std::string strInit;
    {
        CTestInstallation noKey(CTestInstallation::Kind::kNoKey);
        strInit = host.Command("init 44 C:\\apps\\third.exe beta", 90000);
    }
    std::printf("[ timing ] a monitor stuck at its start: init %s\n", strInit.c_str());
    EXPECT_EQ("ok 0 ", strInit.substr(0, 5));
    EXPECT_LE(ReplyMilliseconds(strInit), 61000u) << strInit;
}

// As a process ends, the library waits for none of its other threads: a host that
// exits while another of its threads waits inside ZOVLC_SendLogMessage on a
// monitor that has stopped ends at once, and the monitor, running again, notes
// that the host has gone.
TEST_F(SystemTest, AHostThatExitsWhileAThreadWaitsOnAStoppedMonitorEndsAtOnce)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CHostProcess host;
    ASSERT_TRUE(StartHost(host, ""));
    ASSERT_TRUE(InitializeHost(host, 46, kToolPath));
    ASSERT_EQ("ok", host.Command("stream 0 stalled"));
    ASSERT_TRUE(monitor.WaitForConsoleText("stalled #5\r\n"));

    SetProcessSuspended(monitor.ProcessId(), true);
    ::Sleep(300); // the streaming thread now waits for a reply that does not come
    const DWORD dwStart = ::GetTickCount();
    ASSERT_TRUE(host.Send("exit"));
    const bool bEnded = host.WaitForExit(10000);
    const DWORD dwElapsed = ::GetTickCount() - dwStart;
    SetProcessSuspended(monitor.ProcessId(), false);

    EXPECT_TRUE(bEnded);
    EXPECT_LT(dwElapsed, 1000u);
    EXPECT_TRUE(monitor.WaitForConsoleText(CleanNotes(46)));
}

// A host in debug mode outlives its monitor: at most once a second its next line
// looks for a running monitor (COM never starts one: a monitor the user ended stays
// ended); once one runs again, the host announces itself there with its original
// INIT and the line is shown. A host that never reached a monitor joins it alike.
TEST_F(SystemTest, DebugModeHostsJoinAMonitorThatRunsAgain)
{
    CHostProcess host;
    {
        CMonitorProcess first;
        ASSERT_TRUE(first.Start("", ""));
        const HWND hFrame = first.WaitForFrame();
        ASSERT_NE(nullptr, hFrame);
        ASSERT_TRUE(StartHost(host, ""));
        ASSERT_TRUE(InitializeHost(host, 42, kToolPath));
        ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
        ASSERT_TRUE(first.WaitForExit(kExitLimitMs));
    }
    EXPECT_LT(host.Log(0, "nobody listens"), 2000u);
    ::Sleep(1100);
    EXPECT_LT(host.Log(0, "still nobody"), 2000u);
    EXPECT_TRUE(MonitorProcessIds().empty()) << "a monitor the user ended stays ended";

    DeleteMonitorClassRegistration();
    CHostProcess late;
    ASSERT_TRUE(StartHost(late, ""));
    ASSERT_TRUE(InitializeHost(late, 43, "C:\\apps\\late.exe"));

    CMonitorProcess second;
    ASSERT_TRUE(second.Start("", ""));
    ASSERT_NE(nullptr, second.WaitForFrame());
    ::Sleep(1100);
    EXPECT_NE(MAXDWORD, host.Log(0, "after the monitor came back"));
    EXPECT_NE(MAXDWORD, late.Log(0, "joined late"));
    EXPECT_EQ('o', host.Command("cleanup")[0]);
    EXPECT_TRUE(second.WaitForConsoleText(TerminateNotes(42)));
    EXPECT_EQ(std::string(kBanner) + HostLine("tool", 42, "after the monitor came back") +
                  HostLine("late", 43, "joined late") + CleanUpLines("tool", 42) + TerminateNotes(42),
              WithStampsReplaced(second.ConsoleText()));
}

// A host built the way Visual C++ builds it (Microsoft mode, linked against the
// Microsoft-format Varnel.lib, no C runtime; tests/msvc/msvc_host.c) calls every
// export, the callee-cleans twins included, and its lines arrive in their colours.
TEST_F(SystemTest, AHostBuiltInMicrosoftModeLogsThroughTheMicrosoftImportLibrary)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());

    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", "");
    std::string strCommandLine = "\"" + BuiltProgramPath("msvc_host.exe") + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted =
        ::CreateProcessA(nullptr, &strCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", nullptr);
    ASSERT_TRUE(bStarted);
    const DWORD dwWait = ::WaitForSingleObject(pi.hProcess, 60000);
    DWORD dwExitCode = MAXDWORD;
    ::GetExitCodeProcess(pi.hProcess, &dwExitCode);
    if (dwWait != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), dwWait);
    EXPECT_EQ(0u, dwExitCode) << "initialisations that did not return ZOVLC_OK";

    const std::string strConsole = WithStampsReplaced(monitor.ConsoleText());
    for (const std::string& strExpected :
         {HostLine("msvc_host", 4711, "cdecl line from a Microsoft-mode host") + CleanUpLines("msvc_host", 4711) +
              TerminateNotes(4711),
          HostLine("msvc_host", 4712, "stdcall line from a Microsoft-mode host") +
              CleanUpLines("msvc_host", 4712) + TerminateNotes(4712),
          std::string("Application id 4713\r\n"), CleanUpLines("msvc_host", 4713) + TerminateNotes(4713),
          std::string("Application id 4714\r\n"), CleanUpLines("msvc_host", 4714) + TerminateNotes(4714)})
        EXPECT_NE(std::string::npos, strConsole.find(strExpected)) << strExpected;
    EXPECT_EQ(RGB(255, 0, 0), ColourOfLineWith(monitor, "cdecl line from a Microsoft-mode host"));
    EXPECT_EQ(RGB(0, 128, 128), ColourOfLineWith(monitor, "stdcall line from a Microsoft-mode host"));
}
