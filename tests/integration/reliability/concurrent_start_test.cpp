// Two monitors started at the same moment, several times over, in both modes:
// both may run for a while, as the system lets them, but neither may crash, one
// must be left serving the pipe (the other ends by the single-instance test or
// because the other one's listener serves the pipe), clients must be served by it, a third
// monitor must find it, and it must end as usual.
#include "MonitorTestBase.h"
#include "ReliabilitySupport.h"

#include <cstdio>

namespace
{

constexpr int kRoundsPerMode = 3;

class ConcurrentStart : public MonitorReliabilityTest
{
protected:
    void Round(int nRound, const char* pszDebugLevel)
    {
        SCOPED_TRACE("round " + std::to_string(nRound));
        CMonitorProcess first;
        CMonitorProcess second;
        ASSERT_TRUE(first.Start("", pszDebugLevel));
        ASSERT_TRUE(second.Start("", pszDebugLevel));
        const DWORD dwStart = ::GetTickCount();
        ASSERT_TRUE(WaitUntil([&] { return !first.IsRunning() || !second.IsRunning(); }, 15000))
            << "both monitors kept running";
        const DWORD dwOneLeftMs = ::GetTickCount() - dwStart;
        ::Sleep(500);
        ASSERT_NE(first.IsRunning(), second.IsRunning()) << "no monitor is left";
        CMonitorProcess& survivor = first.IsRunning() ? first : second;
        const CMonitorProcess& loser = first.IsRunning() ? second : first;
        EXPECT_EQ(0u, loser.ExitCode()) << "the monitor that gave way did not end cleanly";
        HWND hFrame = survivor.WaitForFrame();
        ASSERT_NE(nullptr, hFrame);
        std::printf("round %d (%s): the %s monitor stays, the other ended after %lu ms\n", nRound,
                    pszDebugLevel ? "debug mode" : "normal", &survivor == &first ? "first" : "second",
                    static_cast<unsigned long>(dwOneLeftMs));

        const int nClientId = 400 + nRound;
        const std::string strLine = "SINFO;served in round " + std::to_string(nRound);
        CBoundedClient client;
        ASSERT_TRUE(client.Open());
        ASSERT_EQ("SUCCESS",
                  client.Transact("INIT;" + std::to_string(nClientId) + "|C:\\reliability\\race.exe|race"));
        ASSERT_EQ("SUCCESS", client.Transact(strLine));
        EXPECT_TRUE(survivor.WaitForConsoleText(strLine.substr(6)));

        CMonitorProcess third;
        ASSERT_TRUE(third.Start("", pszDebugLevel));
        EXPECT_TRUE(third.WaitForExit(15000)) << "a third monitor did not give way";
        EXPECT_EQ(0u, third.ExitCode());
        EXPECT_TRUE(survivor.IsRunning());

        ASSERT_EQ("SUCCESS", client.Transact("TERMINATE;"));
        if (pszDebugLevel)
            ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
        ASSERT_TRUE(survivor.WaitForExit(15000));
        EXPECT_EQ(0u, survivor.ExitCode());
    }
};

} // namespace

TEST_F(ConcurrentStart, TwoMonitorsStartedTogetherLeaveOneThatServes)
{
    int nRound = 0;
    for (int i = 0; i < kRoundsPerMode; ++i)
    {
        Round(++nRound, nullptr);
        Round(++nRound, "");
        KillAllMonitors();
    }
}
