#include "TessalyApp.h"

#include "AboutDlg.h"
#include "AppMonIds.h"
#include "CAppMon.h"
#include "ClientTable.h"
#include "ComRegistration.h"
#include "CompanionLibrary.h"
#include "InstallLocation.h"
#include "InstallRegistry.h"
#include "ListenerReport.h"
#include "LoggingConfiguration.h"
#include "MainFrm.h"
#include "MainWindowLink.h"
#include "MonitorGlobals.h"
#include "MonitorMutex.h"
#include "OleInit.h"
#include "OleObjectFactory.h"
#include "PipeServer.h"
#include "ShowLogLine.h"
#include "ui/resource.h"

#include <cstdlib>
#include <string>

namespace
{

// How long the end waits for the pipe server's threads to finish the step they are in.
constexpr DWORD kPipeServerStopWaitMs = 2000;
constexpr char kConsoleMessageName[] = "ZOV_APPMON_UPD";
constexpr char kInstallErrorText[] = "The Marvane ZOV system is not properly installed.\n"
                                     "Please install it again.";
constexpr char kCompanionMissingLine[] = "\nThe companion library ZOVNativeLogging.dll was not found.";

// "/Register" or "-Register": the whole command line, letter case ignored.
bool IsRegistrationRun(const char* pszCommandLine)
{
    return pszCommandLine &&
           (lstrcmpiA(pszCommandLine, "/Register") == 0 || lstrcmpiA(pszCommandLine, "-Register") == 0);
}

bool AnotherMonitorRuns()
{
    IUnknown* pUnknown = nullptr;
    if (FAILED(::GetActiveObject(CLSID_AppMon, nullptr, &pUnknown)) || !pUnknown)
        return false;
    pUnknown->Release();
    return true;
}

} // namespace

CTessalyApp theApp;

BEGIN_MESSAGE_MAP(CTessalyApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_OPEN_CONSOLE, OnOpenConsole)
ON_COMMAND(ID_EXIT_MONITOR, OnExitMonitor)
END_MESSAGE_MAP()

CTessalyApp::CTessalyApp()
{
    // A failed assertion must not wait at a message box that nobody sees.
    _set_error_mode(_OUT_TO_STDERR);
    g_hClientTableMutex = ::CreateMutexA(nullptr, FALSE, nullptr);
    // Exists while the monitor runs so client libraries can open it; never waited on here.
    g_hMonitorMutex = ::CreateMutexA(nullptr, FALSE, Protocol::kMonitorMutexName);
    LoadInstallPaths();
    ConfigureLogging();
}

// Catalogue path and section from the registry's installation location, and the
// companion library beside the catalogue. Any fault shows the installation error
// box; start-up then goes on without what was missing.
void CTessalyApp::LoadInstallPaths()
{
    std::string strLocation;
    const Install::LocationReadStatus readStatus = Install::ReadInstallLocation(strLocation);
    if (readStatus == Install::LocationReadStatus::kKeyMissing ||
        readStatus == Install::LocationReadStatus::kValueMissing)
    {
        AfxMessageBox(kInstallErrorText, MB_OK);
        return;
    }
    const Install::InstallPaths paths =
        Install::ResolveInstallPaths(strLocation.c_str(), Catalogue::Section::kMonitor);
    if (paths.status == Install::LocationStatus::kEmpty)
        return;
    if (paths.status != Install::LocationStatus::kOk)
    {
        // A location the catalogue cannot be found from is as good as none.
        AfxMessageBox(kInstallErrorText, MB_OK);
        return;
    }
    m_strInstalledProgram = paths.strInstallDir + Install::kMonitorProgramFileName;
    g_strMessageFile = paths.strCatalogueFile;
    g_strMessageSection = paths.strSection;

    Install::CompanionLibrary companion;
    if (Install::BindCompanionLibrary(paths.strInstallDir, companion) == Install::CompanionStatus::kNotLoaded)
        AfxMessageBox((std::string(kInstallErrorText) + kCompanionMissingLine).c_str(), MB_OK);
    m_pfnSetLogger = companion.pfnSetLogger;
}

void CTessalyApp::ConfigureLogging()
{
    using namespace Marvane::NativeLogging;
    g_pLogger = nullptr;
    const LoggingSetup setup =
        ConfigureMonitorLogging(m_loggers, reinterpret_cast<LoggerHook>(m_pfnSetLogger));
    g_pLogger = setup.logger;
    m_bDebugMode = setup.variablePresent;
    CaptureLoggerGate();
}

BOOL CTessalyApp::InitInstance()
{
    ::CoInitialize(nullptr);
    if (AnotherMonitorRuns())
        return FALSE;
    g_uAppMonUpdateMessage = ::RegisterWindowMessageA(kConsoleMessageName);
    if (!AfxOleInit())
        return FALSE;
    // The monitor hosts no controls, so there is no control container to enable.

    // Registered with COM as a local server (see ComRegistration.h for when), then
    // offered to COM.
    if (MayRegisterWithCom(IsRegistrationRun(m_lpCmdLine), m_strInstalledProgram))
        COleObjectFactory::UpdateRegistryAll(TRUE);
    COleObjectFactory::RegisterAll();
    // The console reads and writes the user's settings itself (MonitorSettings.h):
    // no framework profile key is chosen.

    if (IsRegistrationRun(m_lpCmdLine))
        return FALSE;

    CMainFrame* pFrame = new (std::nothrow) CMainFrame;
    if (!pFrame)
        return FALSE;
    pFrame->m_bDebugMode = m_bDebugMode;
    m_pMainWnd = pFrame;
    // Creating the frame starts the pipe listener and, in debug mode, the tray icon.
    // A frame that fails to load has deleted itself: start-up ends here.
    if (!pFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, nullptr))
    {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    pFrame->ShowWindow(SW_HIDE);
    pFrame->UpdateWindow();

    // Into the running-object table once the pipe exists: a host that finds the
    // monitor there tries its pipe once, so two hosts started together would
    // otherwise lose the second one's announcement.
    if (const HANDLE hSettled = PipeListenerSettledEvent())
        ::WaitForSingleObject(hSettled, kPipeListenerSettleMs);
    m_pAppMon = new (std::nothrow) CAppMon;
    if (m_pAppMon)
        m_pAppMon->RegisterAsActiveObject();
    return TRUE;
}

void CTessalyApp::DeleteAppMon()
{
    if (!m_pAppMon)
        return;
    // Out of the running-object table before the object goes.
    m_pAppMon->RevokeActiveObject();
    delete m_pAppMon;
    m_pAppMon = nullptr;
}

int CTessalyApp::ExitInstance()
{
    const int nListenerExitCode = ReportListenerFailure(m_bDebugMode);

    // The pipe server's threads stop where they hold nothing. One still at work
    // after the wait may yet reach the client table: taking its mutex for good
    // keeps it away from the table and the records while the process is torn
    // down; the mutex handle goes with the process.
    StopPipeServerWork(kPipeServerStopWaitMs);
    if (g_hClientTableMutex)
        ::WaitForSingleObject(g_hClientTableMutex, INFINITE);
    if (g_hMonitorMutex)
        ::CloseHandle(g_hMonitorMutex);
    g_hMonitorMutex = nullptr;

    DeleteAppMon();

    g_pLogger = nullptr;
    CaptureLoggerGate();
    // The companion library is told the loggers are gone before they are freed.
    Marvane::NativeLogging::WithdrawAndDeleteLoggers(m_loggers, m_pfnSetLogger);

    AfxOleTerm(); // also withdraws the class object from COM
    const int nExitCode = CWinApp::ExitInstance();
    return nListenerExitCode != 0 ? nListenerExitCode : nExitCode;
}

void CTessalyApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

void CTessalyApp::OnOpenConsole()
{
    if (!m_pMainWnd)
        return;
    // A minimised console comes back to its size (SW_SHOW would show it minimised),
    // and in front of whatever the user was doing.
    m_pMainWnd->ShowWindow(::IsIconic(m_pMainWnd->m_hWnd) ? SW_RESTORE : SW_SHOW);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->SetForegroundWindow();
}

void CTessalyApp::OnExitMonitor()
{
    // The pipe server's request, sent when the last client had gone, holds only
    // if none has registered since; the user's Exit always does.
    if (!DecideExit(::InSendMessage() != FALSE))
        return;
    // The frame's own WM_CLOSE only hides it; Exit closes it for real.
    if (CFrameWnd* pFrame = static_cast<CFrameWnd*>(m_pMainWnd))
        pFrame->CFrameWnd::OnClose();
}
