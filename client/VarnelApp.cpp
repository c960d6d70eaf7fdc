#include "VarnelApp.h"

#include "ClientState.h"
#include "InstallLocation.h"
#include "InstallRegistry.h"
#include "LoggingConfiguration.h"
#include "MonitorMutex.h"
#include "PipeClient.h"

namespace
{

constexpr const char kNotInstalledText[] =
    "The log monitoring system is not properly installed on this computer: its registry key "
    "HKEY_LOCAL_MACHINE\\Software\\Marvane\\ZOVCommon is missing.\n\n"
    "This application runs on, but its log messages cannot reach the monitor.";

constexpr const char kLocationMissingText[] =
    "The location information of the log monitoring system's installation is missing or "
    "invalid (value \"Location\" of HKEY_LOCAL_MACHINE\\Software\\Marvane\\ZOVCommon).\n\n"
    "Please install the system again. Until then this application runs on, but its log "
    "messages cannot reach the monitor.";

constexpr UINT kInstallationBoxStyle = MB_OK | MB_ICONEXCLAMATION;

} // namespace

BEGIN_MESSAGE_MAP(CVarnelApp, CWinApp)
END_MESSAGE_MAP()

// The library's one application object, constructed while the library loads.
CVarnelApp theApp;

CVarnelApp::CVarnelApp()
{
    ReadInstallation();
    ReadLoggingConfiguration();
}

void CVarnelApp::ReadInstallation()
{
    CClientState& state = ClientState();
    std::string strLocation;
    switch (Install::ReadInstallLocation(strLocation))
    {
    case Install::LocationReadStatus::kKeyMissing:
        AfxMessageBox(kNotInstalledText, kInstallationBoxStyle);
        state.m_bInstallationMissing = true;
        return;
    case Install::LocationReadStatus::kValueMissing:
        AfxMessageBox(kLocationMissingText, kInstallationBoxStyle);
        state.m_bInstallationMissing = true;
        return;
    case Install::LocationReadStatus::kEmptyValue:
        // An empty value names no directory: no catalogue and no companion, but the
        // library is not refused.
        return;
    case Install::LocationReadStatus::kOk:
        break;
    }

    const Install::InstallPaths paths =
        Install::ResolveInstallPaths(strLocation.c_str(), Catalogue::Section::kClient);
    if (paths.status != Install::LocationStatus::kOk)
    {
        // Too long for the path buffers, or not absolute: as unusable as a missing value.
        AfxMessageBox(kLocationMissingText, kInstallationBoxStyle);
        state.m_bInstallationMissing = true;
        return;
    }
    state.m_strMonitorProgram = paths.strInstallDir + Install::kMonitorProgramFileName;
    state.m_strCatalogueFile = paths.strCatalogueFile;
    state.m_strCatalogueSection = paths.strSection;
    Install::BindCompanionLibrary(paths.strInstallDir, m_companion);
}

void CVarnelApp::ReadLoggingConfiguration()
{
    CClientState& state = ClientState();
    if (state.m_bInstallationMissing)
        return;
    const Marvane::NativeLogging::LoggingSetup setup =
        Marvane::NativeLogging::ConfigureLoggingFromEnvironment(Marvane::NativeLogging::LoggerNames::Client,
                                                                m_loggers, &ForwardLogLine,
                                                                m_companion.pfnSetLogger);
    state.m_bDebugMode = setup.variablePresent;
    m_pLogger = setup.logger;
}

BOOL CVarnelApp::InitInstance()
{
    CClientState& state = ClientState();
    // Only the monitor creates this mutex: null when no monitor runs.
    state.m_hMonitorMutex = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, Protocol::kMonitorMutexName);
    state.m_libraryLock.Create();
    return TRUE;
}

int CVarnelApp::ExitInstance()
{
    CClientState& state = ClientState();
    if (state.m_bProcessExiting)
    {
        // Nothing waits for another thread now, and nothing is freed: the process
        // takes it all. The loggers stay, since the companion library may still
        // call them from its own detach.
        SendCleanAtProcessExit();
        return CWinApp::ExitInstance();
    }
    if (IsClientContextOpen())
        SendCleanToMonitor();

    // The companion library stays loaded and may keep the pointer: it is told the
    // loggers are gone before they are freed, so that nothing calls them afterwards.
    m_pLogger = nullptr;
    Marvane::NativeLogging::WithdrawAndDeleteLoggers(m_loggers, m_companion.pfnSetLogger);

    CloseConnection();
    state.m_libraryLock.Delete();
    if (state.m_hMonitorMutex)
    {
        CloseHandle(state.m_hMonitorMutex);
        state.m_hMonitorMutex = nullptr;
    }
    return CWinApp::ExitInstance();
}
