// The pipe fuzzer against the real Tessaly.exe: a storm of hostile requests from
// many connections at once, after which the monitor must still run, serve and
// show lines, have ended every connection thread, and end by itself once its last
// registered client has gone (or, in debug mode, stay until told to exit).
#include "ChildProcess.h"
#include "MonitorTestBase.h"
#include "ReliabilitySupport.h"

#include <cstdio>

namespace
{

constexpr DWORD kFuzzerLimitMs = 240000;

std::string FuzzerCommand(unsigned uSeed, long nRequests, int nConnections)
{
    return QuotedProgramPath("pipe_fuzzer.exe") + " " + std::to_string(uSeed) + " " +
           std::to_string(nRequests) + " " + std::to_string(nConnections);
}

class RealMonitorFuzz : public MonitorReliabilityTest
{
protected:
    void RunFuzzer(unsigned uSeed, long nRequests, int nConnections)
    {
        const DWORD dwStart = ::GetTickCount();
        CChildProcess fuzzer;
        ASSERT_TRUE(fuzzer.Start(FuzzerCommand(uSeed, nRequests, nConnections), nullptr,
                                 CChildProcess::Output::kShared));
        ASSERT_TRUE(fuzzer.WaitForExit(kFuzzerLimitMs)) << "the fuzzer did not finish in time";
        EXPECT_EQ(0u, fuzzer.ExitCode()) << "the fuzzer saw violations (listed above)";
        std::printf("fuzzer run: %.1f s\n", (::GetTickCount() - dwStart) / 1000.0);
    }
};

} // namespace

TEST_F(RealMonitorFuzz, OutsideDebugModeTheMonitorSurvivesServesAndEndsAfterItsLastClient)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    // A registered client of the test's own keeps the monitor running after the
    // fuzzer's last connection, so that it can be looked at.
    CBoundedClient keeper;
    ASSERT_TRUE(keeper.Open());
    ASSERT_EQ("SUCCESS", keeper.Transact("INIT;77|C:\\reliability\\keeper.exe|keeper"));
    const int nBaselineThreads = ThreadCountOf(monitor.ProcessId());
    ASSERT_GT(nBaselineThreads, 0);

    RunFuzzer(1, 100000, 16);

    ASSERT_TRUE(monitor.IsRunning()) << "exit code " << monitor.ExitCode();
    EXPECT_TRUE(WaitUntilThreadsBackTo(monitor.ProcessId(), nBaselineThreads, 10000))
        << ThreadCountOf(monitor.ProcessId()) << " threads, " << nBaselineThreads << " before the storm";
    ASSERT_EQ("SUCCESS", keeper.Transact("SINFO;keeper after the storm"));
    const std::string strConsole = monitor.ConsoleText();
    EXPECT_NE(std::string::npos, strConsole.find("]-> still served")) << "the fuzzer's final conversation";
    EXPECT_NE(std::string::npos, strConsole.find("anchor still served"));
    EXPECT_NE(std::string::npos, strConsole.find("keeper after the storm"));

    ASSERT_EQ("SUCCESS", keeper.Transact("TERMINATE;"));
    ASSERT_TRUE(monitor.WaitForExit(15000)) << "a client of the storm is still registered";
    EXPECT_EQ(0u, monitor.ExitCode());
}

TEST_F(RealMonitorFuzz, InDebugModeTheMonitorSurvivesServesAndStaysUntilToldToExit)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    const int nBaselineThreads = ThreadCountOf(monitor.ProcessId());

    RunFuzzer(2, 20000, 16);

    ASSERT_TRUE(monitor.IsRunning()) << "exit code " << monitor.ExitCode();
    EXPECT_TRUE(WaitUntilThreadsBackTo(monitor.ProcessId(), nBaselineThreads, 10000))
        << ThreadCountOf(monitor.ProcessId()) << " threads, " << nBaselineThreads << " before the storm";
    {
        CBoundedClient client;
        ASSERT_TRUE(client.Open());
        ASSERT_EQ("SUCCESS", client.Transact("INIT;78|C:\\reliability\\late.exe|late"));
        ASSERT_EQ("SUCCESS", client.Transact("SERROR;late client after the storm"));
        ASSERT_EQ("SUCCESS", client.Transact("TERMINATE;"));
        EXPECT_TRUE(client.WaitUntilClosedByMonitor());
    }
    EXPECT_TRUE(monitor.WaitForConsoleText("late client after the storm"));
    EXPECT_TRUE(monitor.WaitForConsoleText(TerminatedNote(78)));
    EXPECT_FALSE(monitor.WaitForExit(1000)) << "debug mode stays after the last client";

    ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
    ASSERT_TRUE(monitor.WaitForExit(15000));
    EXPECT_EQ(0u, monitor.ExitCode());
}
