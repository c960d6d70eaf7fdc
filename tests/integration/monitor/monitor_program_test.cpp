// The real Tessaly.exe as a whole program: the registration run and the
// registration on an ordinary start, one monitor at a time, the installation
// error box, the companion library, self-termination outside debug mode, the tray
// icon and staying resident in debug mode (a taskbar that is not there yet
// included), and the console as a user sees it.
#include "AppMonIds.h"
#include "InstalledCompanion.h"
#include "MessagePump.h"
#include "MonitorProcess.h"
#include "PipeProtocol.h"
#include "PipeServer.h"
#include "Polling.h"
#include "TestInstallation.h"
#include "TestPipeClient.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>
#include <vector>

namespace
{

constexpr char kAppTitle[] = "Marvane ZOV Application Monitor";
constexpr UINT kOpenConsoleCommand = 32771;
constexpr UINT kExitMonitorCommand = 32772;
constexpr char kSettingsKey[] = "Software\\Marvane\\Tessaly\\Settings";
constexpr char kClsidKey[] = "CLSID\\{E2156BC5-6423-46F8-8B16-B6B1D88558E5}";

std::string LocalServerPath()
{
    char szValue[MAX_PATH * 2] = "";
    LONG cb = sizeof(szValue);
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, (std::string(kClsidKey) + "\\LocalServer32").c_str(), szValue,
                         &cb) != ERROR_SUCCESS)
        return std::string();
    return szValue;
}

void DeleteClassRegistration()
{
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, kClsidKey);
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, "Tessaly.AppMon");
}

// The monitor's message box (the installation error, or why it cannot serve),
// once it shows; null after 15 s.
HWND WaitForInstallationBox(const CMonitorProcess& monitor)
{
    HWND hBox = nullptr;
    for (int i = 0; i < 300 && !hBox; ++i, ::Sleep(50))
        hBox = FindProcessWindow(monitor.ProcessId(), kAppTitle, "#32770");
    return hBox;
}

std::string BoxText(HWND hBox)
{
    char szText[512] = "";
    ::GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof(szText));
    return szText;
}

BOOL CALLBACK CollectTrayIcon(HWND hWnd, LPARAM lParam)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "__winex11_tray_icon") == 0 || lstrcmpA(szClass, "__wine_tray_icon") == 0)
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

BOOL CALLBACK CollectTrayIconsBelow(HWND hWnd, LPARAM lParam)
{
    CollectTrayIcon(hWnd, lParam);
    ::EnumChildWindows(hWnd, &CollectTrayIcon, lParam);
    return TRUE;
}

// The shell's windows of notification-area icons. Under Wine they belong to the
// shell's process, not to the program that added the icon.
std::vector<HWND> TrayIconWindows()
{
    std::vector<HWND> icons;
    ::EnumWindows(&CollectTrayIconsBelow, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

bool WaitForTrayIconCount(std::size_t nCount, DWORD dwMilliseconds = 10000)
{
    const DWORD dwStart = ::GetTickCount();
    while (TrayIconWindows().size() != nCount)
    {
        if (::GetTickCount() - dwStart > dwMilliseconds)
            return false;
        ::Sleep(50);
    }
    return true;
}

// A taskbar that is not ready yet: found first as "Shell_TrayWnd", it refuses
// every icon and notes the icon's window.
HWND g_hRefusedIconWindow = nullptr;
LRESULT CALLBACK RefusingTaskbarProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    g_hRefusedIconWindow = reinterpret_cast<HWND>(wParam);
    return FALSE;
}

bool StaysRunning(const CMonitorProcess& monitor, DWORD dwMilliseconds)
{
    ::Sleep(dwMilliseconds);
    return monitor.IsRunning();
}

class MonitorProgramTest : public ::testing::Test
{
protected:
    void SetUp() override { KillAllMonitors(); }
    void TearDown() override { KillAllMonitors(); }

    CTestInstallation m_installation{CTestInstallation::Kind::kWithCatalogue};
};

} // namespace

TEST_F(MonitorProgramTest, RegistrationRunWritesTheClassAndEndsInAnyLetterCase)
{
    for (const char* pszSwitch : {"/Register", "/register", "-REGISTER"})
    {
        DeleteClassRegistration();
        CMonitorProcess monitor;
        ASSERT_TRUE(monitor.Start(pszSwitch));
        ASSERT_TRUE(monitor.WaitForExit()) << pszSwitch;
        EXPECT_EQ(0u, monitor.ExitCode()) << pszSwitch;
        EXPECT_NE(std::string::npos, LocalServerPath().find("Tessaly.exe")) << pszSwitch;
        EXPECT_EQ(nullptr, FindProcessWindow(monitor.ProcessId(), "Tessaly"));
    }
}

TEST_F(MonitorProgramTest, AnOrdinaryStartRegistersTheClassWithTheProgramsPath)
{
    DeleteClassRegistration();
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    std::string strProgram = InstalledMonitorPath();
    if (strProgram.find(' ') != std::string::npos)
        strProgram = "\"" + strProgram + "\"";
    EXPECT_EQ(0, lstrcmpiA(strProgram.c_str(), LocalServerPath().c_str())) << LocalServerPath();
}

// A copy started from outside the installation (here the build's own) leaves the
// installation's registration alone: COM goes on starting the monitor hosts talk to.
TEST_F(MonitorProgramTest, AStrayCopyLeavesTheInstallationsRegistrationAlone)
{
    CMonitorProcess registration;
    ASSERT_TRUE(registration.Start("/Register"));
    ASSERT_TRUE(registration.WaitForExit());
    const std::string strRegistered = LocalServerPath();
    ASSERT_FALSE(strRegistered.empty());

    CMonitorProcess stray;
    ASSERT_TRUE(stray.StartProgram(BuiltProgramPath("Tessaly.exe")));
    ASSERT_NE(nullptr, stray.WaitForFrame());
    EXPECT_EQ(strRegistered, LocalServerPath());
}

TEST_F(MonitorProgramTest, RegisterFollowedByMoreIsAnOrdinaryStart)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("/Register x"));
    EXPECT_NE(nullptr, monitor.WaitForFrame());
    EXPECT_TRUE(StaysRunning(monitor, 1000));
}

TEST_F(MonitorProgramTest, RegistrationWhileAMonitorRunsEndsWithoutRegistering)
{
    CMonitorProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_NE(nullptr, first.WaitForFrame());
    DeleteClassRegistration();
    CMonitorProcess second;
    ASSERT_TRUE(second.Start("/Register"));
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ("", LocalServerPath());
    EXPECT_TRUE(first.IsRunning());
}

TEST_F(MonitorProgramTest, ASecondMonitorEndsSilentlyWhileTheFirstServes)
{
    CMonitorProcess first;
    ASSERT_TRUE(first.Start());
    ASSERT_NE(nullptr, first.WaitForFrame());
    CMonitorProcess second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(nullptr, FindProcessWindow(second.ProcessId(), kAppTitle)) << "no message is shown";

    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    EXPECT_EQ("SUCCESS", client.Transact("SINFO;first still serves"));
    EXPECT_TRUE(first.WaitForConsoleText("first still serves"));
}

// A monitor that cannot serve says why: in debug mode with a box, in any mode by
// its exit code. Here a monitor of the user that has stopped answering keeps the
// listener mutex (the test holds it).
TEST_F(MonitorProgramTest, AMonitorShutOutByAHungOneSaysWhyInDebugModeAndByItsExitCode)
{
    HANDLE hListenerMutex = ::CreateMutexA(nullptr, TRUE, ListenerMutexName().c_str());
    ASSERT_NE(nullptr, hListenerMutex);
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    const HWND hBox = WaitForInstallationBox(monitor);
    ASSERT_NE(nullptr, hBox) << "no box in debug mode";
    EXPECT_NE(std::string::npos, BoxText(hBox).find("did not give it up")) << BoxText(hBox);
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(monitor.WaitForExit());
    EXPECT_EQ(2u, monitor.ExitCode());
    ::CloseHandle(hListenerMutex);
}

// A monitor killed from outside has handed everything it showed to the system:
// the log file that the user chose before holds the banner and every line.
TEST_F(MonitorProgramTest, TheLogFileChosenBeforeHoldsEveryShownLineWhenTheMonitorIsKilled)
{
    char szDir[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szDir);
    const std::string strLog = std::string(szDir) + "killed-monitor.log";
    ::DeleteFileA(strLog.c_str());
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "LogFile", REG_SZ,
                                               strLog.c_str(), static_cast<DWORD>(strLog.size() + 1)));
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;7|a|b"));
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ("SUCCESS", client.Transact("SINFO;logged line " + std::to_string(i)));
    const std::string shown = monitor.ConsoleText();
    ::TerminateProcess(::OpenProcess(PROCESS_TERMINATE, FALSE, monitor.ProcessId()), 1);
    ASSERT_TRUE(monitor.WaitForExit());
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);

    std::string logged;
    if (std::FILE* pFile = std::fopen(strLog.c_str(), "rb"))
    {
        char buffer[4096];
        for (std::size_t cb; (cb = std::fread(buffer, 1, sizeof(buffer), pFile)) > 0;)
            logged.append(buffer, cb);
        std::fclose(pFile);
    }
    ::DeleteFileA(strLog.c_str());
    EXPECT_NE(std::string::npos, shown.find("logged line 49"));
    EXPECT_EQ(shown, logged);
}

TEST_F(MonitorProgramTest, MissingInstallationShowsTheErrorBoxThenStartsWithAnEmptyBanner)
{
    CTestInstallation noKey(CTestInstallation::Kind::kNoKey);
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    const HWND hBox = WaitForInstallationBox(monitor);
    ASSERT_NE(nullptr, hBox) << "the installation error box";
    EXPECT_NE(std::string::npos, BoxText(hBox).find("not properly installed")) << BoxText(hBox);
    EXPECT_EQ(nullptr, monitor.WaitForFrame(1000)) << "start-up waits for the box";
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);

    ASSERT_NE(nullptr, monitor.WaitForFrame());
    ASSERT_TRUE(monitor.WaitForConsoleText(" \r\n \r\n"));
    EXPECT_EQ("\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n \r\n \r\n", monitor.ConsoleText());
}

TEST_F(MonitorProgramTest, AnEmptyLocationShowsNoBox)
{
    CTestInstallation empty(CTestInstallation::Kind::kEmptyLocation);
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    EXPECT_EQ(nullptr, FindProcessWindow(monitor.ProcessId(), kAppTitle, "#32770"));
}

TEST_F(MonitorProgramTest, WithoutDebugModeTheLastClientLeavingEndsTheMonitor)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    EXPECT_TRUE(StaysRunning(monitor, 1500)) << "nobody connected yet";
    EXPECT_EQ(0u, TrayIconWindows().size()) << "no tray icon outside debug mode";

    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;42|C:\\apps\\tool.exe|beta"));
    ASSERT_EQ("SUCCESS", client.Transact("SINFO;[[12-07-2026 01:23:45]:tool:42]-> started"));
    EXPECT_NE(std::string::npos, monitor.ConsoleText().find("[[12-07-2026 01:23:45]:tool:42]-> started"));
    ASSERT_EQ("SUCCESS", client.Transact("TERMINATE;"));
    EXPECT_TRUE(monitor.WaitForExit());
}

// A client that says goodbye and never reads the reply, its handle still open,
// holds no thread of the monitor: the monitor still ends after it.
TEST_F(MonitorProgramTest, AGoodbyeWhoseReplyIsNeverReadStillEndsTheMonitor)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("INIT;42|C:\\apps\\tool.exe|beta"));
    ASSERT_TRUE(client.WriteRequest("TERMINATE;"));
    EXPECT_TRUE(monitor.WaitForExit());
}

// The monitor is findable in the running-object table only once its pipe exists:
// a host that finds it there opens the pipe at once, without waiting for it. Here
// the pipe comes a second late: the listener mutex is held that long.
TEST_F(MonitorProgramTest, TheRunningMonitorIsFindableOnlyOnceItsPipeExists)
{
    ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    HANDLE hListenerMutex = ::CreateMutexA(nullptr, TRUE, ListenerMutexName().c_str());
    ASSERT_NE(nullptr, hListenerMutex);
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    const DWORD dwStart = ::GetTickCount();
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (hListenerMutex && ::GetTickCount() - dwStart > 1000)
            {
                ::ReleaseMutex(hListenerMutex);
                ::CloseHandle(hListenerMutex);
                hListenerMutex = nullptr;
            }
            IUnknown* pUnknown = nullptr;
            if (FAILED(::GetActiveObject(CLSID_AppMon, nullptr, &pUnknown)) || !pUnknown)
                return false;
            pUnknown->Release();
            return true;
        },
        15000, 1));
    const HANDLE hPipe = ::CreateFileA(Protocol::kPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
    const DWORD dwError = ::GetLastError();
    EXPECT_TRUE(hPipe != INVALID_HANDLE_VALUE || dwError == ERROR_PIPE_BUSY) << "error " << dwError;
    if (hPipe != INVALID_HANDLE_VALUE)
        ::CloseHandle(hPipe);
    if (hListenerMutex)
        ::CloseHandle(hListenerMutex);
    ::CoUninitialize();
}

// The pipe admits the user and the system, nobody else (Windows' default lets
// every account read it). Read back from an instance of the running monitor.
TEST_F(MonitorProgramTest, ThePipeAdmitsOnlyTheUserAndTheSystem)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    HANDLE hPipe = INVALID_HANDLE_VALUE;
    ASSERT_TRUE(WaitUntil(
        [&] {
            hPipe = ::CreateFileA(Protocol::kPipeName, READ_CONTROL, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            return hPipe != INVALID_HANDLE_VALUE;
        },
        5000));
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    PACL pDacl = nullptr;
    ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS),
              ::GetSecurityInfo(hPipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &pDacl,
                                nullptr, &pDescriptor));
    char* pszSddl = nullptr;
    ASSERT_TRUE(::ConvertSecurityDescriptorToStringSecurityDescriptorA(
        pDescriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &pszSddl, nullptr));
    const std::string strSddl = pszSddl;
    ::LocalFree(pszSddl);
    ::LocalFree(pDescriptor);
    ::CloseHandle(hPipe);
    EXPECT_EQ(2u, pDacl ? static_cast<unsigned>(pDacl->AceCount) : 0u) << strSddl;
    EXPECT_NE(std::string::npos, strSddl.find(";;;SY)")) << strSddl;
    EXPECT_EQ(std::string::npos, strSddl.find(";;;WD)")) << strSddl;
    EXPECT_EQ(std::string::npos, strSddl.find(";;;AN)")) << strSddl;
}

// The end that the last client's goodbye asks for is decided again when the
// window acts on it: a client that registered while the window was busy (its
// thread held here) keeps the monitor.
TEST_F(MonitorProgramTest, AClientThatRegistersWhileTheEndWaitsForTheWindowKeepsTheMonitor)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    const HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    const HANDLE hWindowThread =
        ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(hFrame, nullptr));
    ASSERT_NE(nullptr, hWindowThread);
    {
        CTestPipeClient leaving;
        ASSERT_TRUE(leaving.Open());
        ASSERT_NE(static_cast<DWORD>(-1), ::SuspendThread(hWindowThread));
        ASSERT_EQ("SUCCESS", leaving.Transact("TERMINATE;")); // no client, no note to wait for
    }
    ::Sleep(500); // the ended connection asks the window to end the monitor
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    const std::string strInit = client.Transact("INIT;42|a|b");
    ::ResumeThread(hWindowThread);
    ::CloseHandle(hWindowThread);
    ASSERT_EQ("SUCCESS", strInit);
    EXPECT_TRUE(StaysRunning(monitor, 1500));
    EXPECT_EQ("SUCCESS", client.Transact("SINFO;still served"));
    EXPECT_TRUE(monitor.WaitForConsoleText("still served"));
}

TEST_F(MonitorProgramTest, DebugModeShowsTheTrayStaysAfterTheLastClientAndExitEndsIt)
{
    for (const char* pszLevel : {"", "ZOVLOGGER=1;ALL"})
    {
        const std::size_t nIconsBefore = TrayIconWindows().size();
        CMonitorProcess monitor;
        ASSERT_TRUE(monitor.Start("", pszLevel));
        HWND hFrame = monitor.WaitForFrame();
        ASSERT_NE(nullptr, hFrame);
        ASSERT_TRUE(WaitForTrayIconCount(nIconsBefore + 1)) << "level '" << pszLevel << "'";

        {
            CTestPipeClient client;
            ASSERT_TRUE(client.Open());
            ASSERT_EQ("SUCCESS", client.Transact("INIT;7|a|b"));
            ASSERT_EQ("SUCCESS", client.Transact("TERMINATE;"));
        }
        EXPECT_TRUE(StaysRunning(monitor, 1500));
        EXPECT_FALSE(::IsWindowVisible(hFrame));

        // A double-click on the icon opens the console (icons of other programs,
        // if any, ignore a double-click from here).
        for (HWND hTrayIcon : TrayIconWindows())
            ::PostMessageA(hTrayIcon, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
        for (int i = 0; i < 100 && !::IsWindowVisible(hFrame); ++i)
            ::Sleep(50);
        EXPECT_TRUE(::IsWindowVisible(hFrame));

        // The Exit command of the tray menu ends the monitor.
        ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
        EXPECT_TRUE(monitor.WaitForExit());
        EXPECT_TRUE(WaitForTrayIconCount(nIconsBefore)) << "the icon goes with the monitor";
    }
}

TEST_F(MonitorProgramTest, ClosingTheConsoleHidesItAndTheMonitorGoesOn)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    ::PostMessageA(hFrame, WM_COMMAND, 32771 /* Open Console */, 0);
    for (int i = 0; i < 100 && !::IsWindowVisible(hFrame); ++i)
        ::Sleep(50);
    ASSERT_TRUE(::IsWindowVisible(hFrame));
    ::PostMessageA(hFrame, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && ::IsWindowVisible(hFrame); ++i)
        ::Sleep(50);
    EXPECT_FALSE(::IsWindowVisible(hFrame));
    EXPECT_TRUE(StaysRunning(monitor, 500));
}

TEST_F(MonitorProgramTest, TheConsoleShowsBannerClientLinesAndNotesInOrder)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    {
        CTestPipeClient first;
        ASSERT_TRUE(first.Open());
        ASSERT_EQ("SUCCESS", first.Transact("INIT;42|C:\\apps\\tool.exe|beta"));
        ASSERT_EQ("SUCCESS", first.Transact("ERROR;[[stamp]:tool:42]-> it failed"));
        ASSERT_EQ("SUCCESS", first.Transact("TERMINATE;"));
    }
    {
        CTestPipeClient second;
        ASSERT_TRUE(second.Open());
        ASSERT_EQ("SUCCESS", second.Transact("INIT;43|C:\\apps\\other.exe|beta"));
    }
    ASSERT_TRUE(monitor.WaitForConsoleText("Client record freed."));
    EXPECT_EQ("Banner line 1\r\nBanner line 2\r\nBanner line 3\r\nBanner line 4\r\n"
              "Banner line 5\r\nBanner line 6\r\nBanner line 7\r\nBanner line 8\r\n \r\n \r\n"
              "[[stamp]:tool:42]-> it failed\r\n"
              "Client 42 has terminated.\r\nTerminate handled.\r\n"
              "Client 43 is being cleaned up.\r\nClient 43 removed.\r\nClean-up handled.\r\n"
              "Client record freed.\r\n",
              monitor.ConsoleText());
}

TEST_F(MonitorProgramTest, OpenConsoleRestoresAMinimisedConsoleAndBringsItToTheFront)
{
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    const HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    ::PostMessageA(hFrame, WM_COMMAND, kOpenConsoleCommand, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(hFrame) != FALSE; }, 5000));
    ::ShowWindowAsync(hFrame, SW_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return ::IsIconic(hFrame) != FALSE; }, 5000));
    // The user works in another window meanwhile.
    const HWND hOther = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                          nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hOther);
    ::SetForegroundWindow(hOther);

    ::PostMessageA(hFrame, WM_COMMAND, kOpenConsoleCommand, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsIconic(hFrame) && ::GetForegroundWindow() == hFrame; }, 5000))
        << "minimised " << ::IsIconic(hFrame) << ", in front " << (::GetForegroundWindow() == hFrame);
    EXPECT_TRUE(::IsWindowVisible(hFrame));
    ::DestroyWindow(hOther);
}

TEST_F(MonitorProgramTest, AMissingCompanionLibraryAddsItsLineToTheBoxAndStartUpGoesOn)
{
    ASSERT_TRUE(::DeleteFileA(InstalledCompanion::PathIn(m_installation.Directory()).c_str()));
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start());
    const HWND hBox = WaitForInstallationBox(monitor);
    ASSERT_NE(nullptr, hBox);
    const std::string strText = BoxText(hBox);
    EXPECT_NE(std::string::npos, strText.find("not properly installed")) << strText;
    EXPECT_NE(std::string::npos, strText.find("\nThe companion library ZOVNativeLogging.dll was not found"))
        << strText;
    ::PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    EXPECT_TRUE(monitor.WaitForConsoleText("Banner line 8")) << "the catalogue is still read";
}

// The companion library of the installation is handed the monitor's logger,
// with the levels QX_LMDEBUGLOGLEVEL gave it, and is told at exit that it goes.
TEST_F(MonitorProgramTest, TheCompanionIsHandedTheMonitorsLoggerAndToldWhenItGoes)
{
    char szTemp[MAX_PATH];
    ::GetTempPathA(sizeof(szTemp), szTemp);
    const std::string strRecord = std::string(szTemp) + "tessaly-companion-record.txt";
    ::DeleteFileA(strRecord.c_str());
    ::SetEnvironmentVariableA("TEST_COMPANION_RECORD", strRecord.c_str());
    CMonitorProcess monitor;
    const bool bStarted = monitor.Start("", "ZOVLOGGER=1;INFO=1");
    ::SetEnvironmentVariableA("TEST_COMPANION_RECORD", nullptr);
    ASSERT_TRUE(bStarted);
    const HWND hFrame = monitor.WaitForFrame();
    ASSERT_NE(nullptr, hFrame);
    ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
    ASSERT_TRUE(monitor.WaitForExit());

    std::string strCalls;
    if (FILE* pFile = std::fopen(strRecord.c_str(), "rb"))
    {
        char szCalls[256];
        strCalls.assign(szCalls, std::fread(szCalls, 1, sizeof(szCalls), pFile));
        std::fclose(pFile);
    }
    EXPECT_EQ("logger\nnull after Info=1 Debug=0\n", strCalls);
    ::DeleteFileA(strRecord.c_str());
}

TEST_F(MonitorProgramTest, DebugModeBeforeTheTaskbarServesAndTheIconComesWithTheTaskbar)
{
    const std::size_t nIconsBefore = TrayIconWindows().size();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &RefusingTaskbarProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "Shell_TrayWnd";
    ::RegisterClassA(&wc);
    HWND hTaskbar = ::CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                      nullptr, wc.hInstance, nullptr);
    ASSERT_EQ(hTaskbar, ::FindWindowExA(nullptr, nullptr, wc.lpszClassName, nullptr));
    CMonitorProcess monitor;
    ASSERT_TRUE(monitor.Start("", ""));
    // This thread answers the monitor's calls of the refusing taskbar.
    ASSERT_TRUE(PumpMessagesUntil([] { return g_hRefusedIconWindow != nullptr; }, 15000));
    ASSERT_NE(nullptr, monitor.WaitForFrame());
    CTestPipeClient client;
    ASSERT_TRUE(client.Open());
    ASSERT_EQ("SUCCESS", client.Transact("SINFO;served before the taskbar"));
    EXPECT_TRUE(monitor.WaitForConsoleText("served before the taskbar"));
    EXPECT_EQ(nIconsBefore, TrayIconWindows().size());

    ::DestroyWindow(hTaskbar); // the real taskbar is first now, and announces itself
    ::PostMessageA(g_hRefusedIconWindow, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitForTrayIconCount(nIconsBefore + 1));
}
