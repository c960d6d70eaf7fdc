// The monitor told to exit (its Exit command, as the menus send it) while 64
// hosts of the real Varnel.dll stream log lines at it: it must end promptly and
// cleanly, and every host's calls must come back once it is gone (their pipe
// breaks) instead of hanging, up to and including their clean-up.
#include "ChildProcess.h"
#include "HostProgressTable.h"
#include "MonitorTestBase.h"
#include "ReliabilitySupport.h"

#include <cstdio>
#include <vector>

namespace
{

constexpr int kHosts = 64;
constexpr int kFirstClientId = 300000;
constexpr char kStopEventName[] = "TessalyReliability.StopStreaming";

class ShutdownUnderLoad : public MonitorReliabilityTest
{
protected:
    void ExitWhileHostsStream(const char* pszMonitorDebugLevel)
    {
        ASSERT_TRUE(m_progress.IsOpen());
        HANDLE hStop = ::CreateEventA(nullptr, TRUE, FALSE, kStopEventName);
        ASSERT_NE(nullptr, hStop);
        CMonitorProcess monitor;
        ASSERT_TRUE(monitor.Start("", pszMonitorDebugLevel));
        HWND hFrame = monitor.WaitForFrame();
        ASSERT_NE(nullptr, hFrame);

        std::vector<CChildProcess> hosts(kHosts);
        for (int i = 0; i < kHosts; ++i)
        {
            m_progress.Reset(i);
            const std::string strCommand = QuotedProgramPath(StressHost::kExeName) + " " + std::to_string(i) +
                                           " " + std::to_string(kFirstClientId + i) + " until " +
                                           kStopEventName;
            ASSERT_TRUE(hosts[i].Start(strCommand, "")) << "host " << i;
        }
        const bool bAllStreaming = WaitUntil(
            [&] {
                for (int i = 0; i < kHosts; ++i)
                {
                    if (m_progress.Phase(i) < StressHost::kStreaming)
                        return false;
                }
                return true;
            },
            60000);
        EXPECT_TRUE(bAllStreaming) << "not every host got going";
        // The console keeps only its latest lines, so the last host's newest ones are looked for.
        EXPECT_TRUE(monitor.WaitForConsoleText("stress host " + std::to_string(kFirstClientId + kHosts - 1) +
                                               " line "));
        ::Sleep(300);

        const DWORD dwExitPosted = ::GetTickCount();
        ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
        EXPECT_TRUE(monitor.WaitForExit(15000)) << "the monitor did not end under load";
        const DWORD dwExitMs = ::GetTickCount() - dwExitPosted;
        EXPECT_EQ(0u, monitor.ExitCode());

        ::SetEvent(hStop);
        // One deadline for all of them: hosts that hang must not add up their waits.
        const DWORD dwStopped = ::GetTickCount();
        constexpr DWORD kHostsLimitMs = 20000;
        int nHung = 0;
        for (int i = 0; i < kHosts; ++i)
        {
            const DWORD dwElapsed = ::GetTickCount() - dwStopped;
            if (!hosts[i].WaitForExit(dwElapsed < kHostsLimitMs ? kHostsLimitMs - dwElapsed : 0))
            {
                ++nHung;
                ADD_FAILURE() << "host " << i << " hangs at phase " << m_progress.Phase(i);
                continue;
            }
            EXPECT_EQ(static_cast<DWORD>(StressHost::kExitOk), hosts[i].ExitCode())
                << "host " << i << ": a call took longer than " << StressHost::kCallAfterStopLimitMs << " ms";
        }
        std::printf("monitor ended %lu ms after Exit; %d hosts done %lu ms after it, %d hung\n",
                    static_cast<unsigned long>(dwExitMs), kHosts - nHung,
                    static_cast<unsigned long>(::GetTickCount() - dwStopped), nHung);
        ::CloseHandle(hStop);
    }

    CHostProgressTable m_progress;
};

} // namespace

TEST_F(ShutdownUnderLoad, ExitOutsideDebugModeEndsTheMonitorAndReleasesEveryHost)
{
    ExitWhileHostsStream(nullptr);
}

TEST_F(ShutdownUnderLoad, ExitInDebugModeEndsTheMonitorAndReleasesEveryHost)
{
    ExitWhileHostsStream("");
}
