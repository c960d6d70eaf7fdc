// Hosts of the real Varnel.dll killed at random points of their exchange with
// the real monitor: before they connect, during INIT and the start lines, in the
// middle of their log lines, during their goodbye. The monitor must clean up
// after every one of them and never crash. Outside debug mode, the proof that
// nobody is left in the client table is that the monitor ends by itself once the
// test's own registered client leaves; in debug mode it is the monitor's notes:
// every host whose initialisation returned is noted as gone exactly once.
#include "HostKillCampaign.h"
#include "MonitorTestBase.h"
#include "ReliabilitySupport.h"

#include <cstdio>

namespace
{

constexpr int kHostsAtOnce = 12;
constexpr int kLinesPerHost = 20;

class ClientKills : public MonitorReliabilityTest
{
protected:
    void RunCampaign(CHostKillCampaign& campaign)
    {
        ASSERT_TRUE(campaign.Run()) << "a host could not be started";
        std::printf("%s\n", campaign.Summary().c_str());
        for (const std::string& strFailure : campaign.Failures())
            ADD_FAILURE() << strFailure;
    }

    static void ExpectConnectionThreadsEnded(const CMonitorProcess& monitor, int nBaselineThreads)
    {
        EXPECT_TRUE(WaitUntilThreadsBackTo(monitor.ProcessId(), nBaselineThreads, 20000))
            << ThreadCountOf(monitor.ProcessId()) << " threads, " << nBaselineThreads << " before the hosts";
    }

    CHostProgressTable m_progress;
};

} // namespace

TEST_F(ClientKills, OutsideDebugModeNoKilledHostIsLeftAndTheMonitorEndsAfterTheLastClient)
{
    ASSERT_TRUE(m_progress.IsOpen());
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CBoundedClient keeper;
    ASSERT_TRUE(keeper.Open());
    ASSERT_EQ("SUCCESS", keeper.Transact("INIT;79|C:\\reliability\\keeper.exe|keeper"));
    const int nBaselineThreads = ThreadCountOf(monitor.ProcessId());

    CHostKillCampaign::Settings settings;
    settings.nHosts = 800;
    settings.nAtOnce = kHostsAtOnce;
    settings.nFirstClientId = 100000;
    settings.nLinesPerHost = kLinesPerHost;
    settings.uSeed = 11;
    settings.pszHostDebugLevel = ""; // the hosts forward their lines
    CHostKillCampaign campaign(m_progress, settings);
    RunCampaign(campaign);

    ASSERT_TRUE(monitor.IsRunning()) << "exit code " << monitor.ExitCode();
    ExpectConnectionThreadsEnded(monitor, nBaselineThreads);
    ASSERT_EQ("SUCCESS", keeper.Transact("SINFO;keeper after the kills"));
    EXPECT_TRUE(monitor.WaitForConsoleText("keeper after the kills"));
    ASSERT_EQ("SUCCESS", keeper.Transact("TERMINATE;"));
    ASSERT_TRUE(monitor.WaitForExit(15000)) << "a killed host is still registered";
    EXPECT_EQ(0u, monitor.ExitCode());
}

TEST_F(ClientKills, InDebugModeEveryKilledHostThatRegisteredIsNotedAsGoneOnce)
{
    ASSERT_TRUE(m_progress.IsOpen());
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    const int nBaselineThreads = ThreadCountOf(monitor.ProcessId());

    CHostKillCampaign::Settings settings;
    settings.nHosts = 200;
    settings.nAtOnce = kHostsAtOnce;
    settings.nFirstClientId = 200000;
    settings.nLinesPerHost = kLinesPerHost;
    settings.uSeed = 12;
    settings.pszHostDebugLevel = "";
    CHostKillCampaign campaign(m_progress, settings);
    RunCampaign(campaign);

    ASSERT_TRUE(monitor.IsRunning()) << "exit code " << monitor.ExitCode();
    ExpectConnectionThreadsEnded(monitor, nBaselineThreads);
    const std::string strConsole = monitor.ConsoleText();
    for (const CHostKillCampaign::HostOutcome& outcome : campaign.Outcomes())
    {
        const std::size_t nNotes = CountOccurrences(strConsole, TerminatedNote(outcome.nClientId)) +
                                   CountOccurrences(strConsole, CleanedUpNote(outcome.nClientId));
        // Killed before it started, a host never reached the pipe; once its
        // initialisation returned, its INIT had been answered; in between, either.
        if (outcome.phase == StressHost::kNotStarted)
            EXPECT_EQ(0u, nNotes) << "host " << outcome.nClientId;
        else if (outcome.phase == StressHost::kInitialising)
            EXPECT_GE(1u, nNotes) << "host " << outcome.nClientId;
        else
            EXPECT_EQ(1u, nNotes) << "host " << outcome.nClientId << " killed while at phase "
                                  << outcome.phase;
    }

    CBoundedClient late;
    ASSERT_TRUE(late.Open());
    ASSERT_EQ("SUCCESS", late.Transact("INIT;80|C:\\reliability\\late.exe|late"));
    ASSERT_EQ("SUCCESS", late.Transact("TERMINATE;"));
    EXPECT_TRUE(monitor.WaitForConsoleText(TerminatedNote(80)));
    EXPECT_FALSE(monitor.WaitForExit(1000)) << "debug mode stays after the last client";
    ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
    ASSERT_TRUE(monitor.WaitForExit(15000));
    EXPECT_EQ(0u, monitor.ExitCode());
}
