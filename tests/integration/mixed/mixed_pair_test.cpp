// The installation's own pair across bitnesses, as a 64-bit Windows runs it: the
// 32-bit setup program installs the 32-bit monitor and, in its x64 folder, the
// 64-bit client library and companion library. COM starts the 32-bit monitor for a
// 64-bit host, the host's library finds the installation in the 32-bit registry
// view and accepts the 32-bit Tessaly.exe as the pipe's server, and 32-bit and
// 64-bit hosts share that one monitor.
#include "ConsoleInspection.h"
#include "HostProcess.h"
#include "HostTestFixture.h"
#include "InstallerSupport.h"
#include "MonitorProcess.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(TESSALY_X86_SETUP_PATH) || !defined(TESSALY_X86_SYSTEM_HOST_PATH)
#error "TESSALY_X86_SETUP_PATH and TESSALY_X86_SYSTEM_HOST_PATH must name the 32-bit build's programs"
#endif

using namespace InstallerTest;

namespace
{

constexpr DWORD kSetupTimeoutMs = 120000;
constexpr DWORD kHostTimeoutMs = 60000;
// A line's longest wait for a monitor that has stopped answering (include/varnel.h),
// and what a loaded machine adds to it.
constexpr DWORD kSendLimitMs = 10000;
constexpr DWORD kMarginMs = 3000;

bool IsWow64(DWORD dwProcessId)
{
    BOOL bWow64 = FALSE;
    const HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId);
    if (hProcess)
    {
        ::IsWow64Process(hProcess, &bWow64);
        ::CloseHandle(hProcess);
    }
    return bWow64 != FALSE;
}

class MixedPairTest : public CHostsAndMonitorsTest
{
protected:
    // A debug-mode host of the installation, started from strProgram.
    static bool StartHost(CHostProcess& host, const std::string& strProgram, int nId)
    {
        int nResult = -99;
        DWORD dwMilliseconds = 0;
        return host.Start(strProgram) && host.LoadLibraryWithDebugLevel("") &&
               host.Initialize(nId, "C:\\apps\\host" + std::to_string(nId) + ".exe", "mixed", nResult,
                               dwMilliseconds) &&
               nResult == 0;
    }

    CLocationGuard m_locationGuard;
};

} // namespace

TEST_F(MixedPairTest, The32BitMonitorServes64BitHostsBesideA32BitHost)
{
    const std::string strFolder = ProgramFilesFolder("ProgramFiles(x86)") + "\\Marvane\\ZOV";
    ASSERT_NE("\\Marvane\\ZOV", strFolder) << "a 64-bit prefix has a 32-bit program folder";
    ASSERT_EQ(0, RunToEnd(Quoted(TESSALY_X86_SETUP_PATH) + " /S /D=" + strFolder, kSetupTimeoutMs));
    EXPECT_EQ(strFolder + "\\Tessaly.exe",
              ReadString(HKEY_LOCAL_MACHINE, kInstallKey, "Location", nullptr, kInstallKeyView));
    const std::string strHost64 = strFolder + "\\x64\\system_host.exe";
    const std::string strHost32 = strFolder + "\\system_host.exe";
    ASSERT_TRUE(::CopyFileA(BuiltProgramPath("system_host.exe").c_str(), strHost64.c_str(), FALSE));
    ASSERT_TRUE(::CopyFileA(TESSALY_X86_SYSTEM_HOST_PATH, strHost32.c_str(), FALSE));

    {
        // The first 64-bit host has COM start the installed 32-bit monitor.
        CHostProcess host64;
        ASSERT_TRUE(StartHost(host64, strHost64, 64));
        CMonitorProcess monitor;
        ASSERT_TRUE(AttachToTheMonitor(monitor));
        EXPECT_EQ(0, lstrcmpiA((strFolder + "\\Tessaly.exe").c_str(), ProcessImagePath(monitor.ProcessId()).c_str()))
            << ProcessImagePath(monitor.ProcessId());
        EXPECT_TRUE(IsWow64(monitor.ProcessId())) << "the monitor is the 32-bit program";
        EXPECT_NE(MAXDWORD, host64.Log(1, "an error of a 64-bit host"));
        EXPECT_NE(MAXDWORD, host64.Log(2, "a diagnostic of a 64-bit host"));

        // A 32-bit host joins the same monitor.
        CHostProcess host32;
        ASSERT_TRUE(StartHost(host32, strHost32, 32));
        EXPECT_EQ(1u, MonitorProcessIds().size());
        EXPECT_NE(MAXDWORD, host32.Log(0, "a line of a 32-bit host"));

        // A monitor that stops answering holds a 64-bit host no longer than its limit.
        SetProcessSuspended(monitor.ProcessId(), true);
        const DWORD dwStalledMs = host64.Log(0, "a line the stopped monitor never shows");
        SetProcessSuspended(monitor.ProcessId(), false);
        EXPECT_LE(dwStalledMs, kSendLimitMs + kMarginMs);
        // Its connection was given up; its next line (a second later) rejoins the
        // monitor, which so keeps a client through what follows.
        ::Sleep(1100);
        EXPECT_NE(MAXDWORD, host64.Log(0, "a 64-bit host back after the stop"));

        // The 32-bit host unloads its library, a second 64-bit host cleans up.
        CHostProcess host64b;
        ASSERT_TRUE(StartHost(host64b, strHost64, 65));
        EXPECT_EQ('o', host64b.Command("cleanup")[0]);
        EXPECT_EQ('o', host32.Command("unload")[0]);
        ASSERT_TRUE(WaitUntil(
            [&] {
                return monitor.ConsoleText().find("Client 32 has been removed from the list of clients.") !=
                       std::string::npos;
            },
            10000))
            << monitor.ConsoleText();

        const std::string strConsole = WithStampsReplaced(monitor.ConsoleText());
        for (const char* pszExpected :
             {"[[stamp]:host64:64]-> an error of a 64-bit host\r\n",
              "[[stamp]:host64:64]-> a diagnostic of a 64-bit host\r\n",
              "[[stamp]:host32:32]-> a line of a 32-bit host\r\n",
              "[[stamp]:host64:64]-> a 64-bit host back after the stop\r\n",
              "[[stamp]:host65:65]-> Session closed.\r\n", "Client 65 has ended its session.\r\n",
              "Client 32 is gone without ending its session; cleaning up.\r\n"})
            EXPECT_NE(std::string::npos, strConsole.find(pszExpected)) << pszExpected << "\n" << strConsole;
        EXPECT_EQ(RGB(255, 0, 0), ColourOfLineWith(monitor, "an error of a 64-bit host"));
        EXPECT_EQ(RGB(0, 128, 128), ColourOfLineWith(monitor, "a diagnostic of a 64-bit host"));

        // The installed 64-bit sample host hands its logger to the 64-bit companion
        // library of the x64 folder, which writes through it.
        EXPECT_EQ(0, RunToEnd(Quoted(strFolder + "\\x64\\sample_host.exe") + " 6464 1", kHostTimeoutMs,
                              "ZOVLOGGER=1;ALL"));
        EXPECT_NE(std::string::npos,
                  monitor.ConsoleText().find(
                      ":sample_host:6464]-> sample host 6464: sample warning from the companion library"))
            << monitor.ConsoleText();
    }

    KillAllHosts();
    KillAllMonitors();
    ::DeleteFileA(strHost64.c_str());
    ::DeleteFileA(strHost32.c_str());
    EXPECT_EQ(0, RunToEnd(Quoted(strFolder + "\\Uninstall.exe") + " /S", kSetupTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return !PathExists(strFolder + "\\x64"); }, 20000)) << "the uninstaller removes x64";
}
