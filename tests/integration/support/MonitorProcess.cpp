#include "MonitorProcess.h"

#include "InstallKey.h"
#include "Processes.h"

#include <vector>

namespace
{

constexpr UINT kConsolePaneId = 0xE900;     // AFX_IDW_PANE_FIRST
constexpr UINT kExitMonitorCommand = 32772; // ID_EXIT_MONITOR
// A monitor in debug mode takes about 2 s to end under Wine (its tray icon goes).
constexpr DWORD kOrderlyEndLimitMs = 5000;
constexpr DWORD kTerminateLimitMs = 5000;

struct WindowSearch
{
    DWORD dwProcessId;
    const char* pszCaption;
    const char* pszClass;
    HWND hFound;
};

BOOL CALLBACK VisitWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != search.dwProcessId)
        return TRUE;
    char szText[256] = "";
    ::GetWindowTextA(hWnd, szText, sizeof(szText));
    if (search.pszCaption && lstrcmpA(szText, search.pszCaption) != 0)
        return TRUE;
    if (search.pszClass)
    {
        char szClass[256] = "";
        ::GetClassNameA(hWnd, szClass, sizeof(szClass));
        if (lstrcmpA(szClass, search.pszClass) != 0)
            return TRUE;
    }
    search.hFound = hWnd;
    return FALSE;
}

// Ends a monitor by its Exit command, as its user would, so that it withdraws its
// class object from COM; terminates it only when that does not work in time.
void EndMonitor(HANDLE hProcess, DWORD dwProcessId)
{
    if (HWND hFrame = FindProcessWindow(dwProcessId, "Tessaly"))
    {
        ::PostMessageA(hFrame, WM_COMMAND, kExitMonitorCommand, 0);
        if (::WaitForSingleObject(hProcess, kOrderlyEndLimitMs) == WAIT_OBJECT_0)
            return;
    }
    ::TerminateProcess(hProcess, 99);
    ::WaitForSingleObject(hProcess, kTerminateLimitMs);
}

// Wine's RPC service (rpcss.exe) is restarted between tests for two faults of its
// own, neither of which Windows has:
//  - it keeps the COM class registration of a server that was terminated instead
//    of ending, and hands that dead registration to every client instead of
//    starting the server again;
//  - an endpoint of Wine's RPC runtime stops listening for good once a client has
//    connected and gone before the server listened again (hosts killed in the
//    middle of their monitor lookup do that). From then on every process that is
//    new to the service waits 5 s for the running-object table and is refused,
//    so every host's lookup and every monitor's start-up takes seconds longer.
// COM starts the service afresh with the next request. Nothing happens where no
// process of that name exists (Windows runs its service inside svchost.exe).
void RestartWineRpcService()
{
    KillAllProcessesNamed("rpcss.exe");
}

} // namespace

std::string BuiltProgramPath(const char* pszFileName)
{
    char szPath[MAX_PATH];
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + pszFileName;
}

void KillAllProcessesNamed(const char* pszExeName)
{
    for (const DWORD dwProcessId : ProcessIdsNamed(pszExeName))
    {
        if (HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId))
        {
            ::TerminateProcess(hProcess, 99);
            ::WaitForSingleObject(hProcess, kTerminateLimitMs);
            ::CloseHandle(hProcess);
        }
    }
}

void KillAllMonitors()
{
    for (const DWORD dwProcessId : MonitorProcessIds())
    {
        if (HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId))
        {
            EndMonitor(hProcess, dwProcessId);
            ::CloseHandle(hProcess);
        }
    }
    RestartWineRpcService();
}

std::vector<DWORD> MonitorProcessIds()
{
    return ProcessIdsNamed("Tessaly.exe");
}

HWND FindProcessWindow(DWORD dwProcessId, const char* pszCaption, const char* pszClass)
{
    WindowSearch search = {dwProcessId, pszCaption, pszClass, nullptr};
    ::EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

CMonitorProcess::~CMonitorProcess()
{
    if (m_pi.hProcess)
    {
        if (IsRunning())
            EndMonitor(m_pi.hProcess, m_pi.dwProcessId);
        ::CloseHandle(m_pi.hProcess);
        if (m_pi.hThread)
            ::CloseHandle(m_pi.hThread);
    }
}

std::string InstalledMonitorPath()
{
    char szLocation[MAX_PATH] = "";
    DWORD cbLocation = sizeof(szLocation);
    const HKEY hKey = TestInstallKey::Open(KEY_QUERY_VALUE);
    const bool bRead = hKey && ::RegGetValueA(hKey, nullptr, Install::kLocationValueName, RRF_RT_REG_SZ, nullptr,
                                              szLocation, &cbLocation) == ERROR_SUCCESS;
    if (hKey)
        ::RegCloseKey(hKey);
    if (bRead && ::GetFileAttributesA(szLocation) != INVALID_FILE_ATTRIBUTES)
        return szLocation;
    return BuiltProgramPath("Tessaly.exe");
}

bool CMonitorProcess::Start(const char* pszArguments, const char* pszDebugLevel, const char* pszProgram)
{
    std::string strProgram = InstalledMonitorPath();
    if (pszProgram)
    {
        // Without an installed copy the built program itself runs.
        const std::string strBuilt = BuiltProgramPath(pszProgram);
        if (lstrcmpiA(strProgram.c_str(), BuiltProgramPath("Tessaly.exe").c_str()) == 0)
            strProgram = strBuilt;
        else if (!::CopyFileA(strBuilt.c_str(), strProgram.c_str(), FALSE))
            return false;
    }
    return StartProgram(strProgram, pszArguments, pszDebugLevel);
}

bool CMonitorProcess::StartProgram(const std::string& strProgram, const char* pszArguments,
                                   const char* pszDebugLevel)
{
    std::string strCommand = "\"" + strProgram + "\"";
    if (pszArguments && *pszArguments)
        strCommand += std::string(" ") + pszArguments;

    // The child inherits this process's environment, changed for the start only.
    char szSaved[4096];
    const DWORD cchSaved = ::GetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", szSaved, sizeof(szSaved));
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", pszDebugLevel);
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    const BOOL bStarted =
        ::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_pi);
    ::SetEnvironmentVariableA("QX_LMDEBUGLOGLEVEL", cchSaved ? szSaved : nullptr);
    return bStarted != FALSE;
}

bool CMonitorProcess::Attach(DWORD dwProcessId)
{
    if (m_pi.hProcess)
        return false;
    m_pi.hProcess = ::OpenProcess(
        PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, dwProcessId);
    if (!m_pi.hProcess)
        return false;
    m_pi.dwProcessId = dwProcessId;
    return true;
}

HWND CMonitorProcess::WaitForFrame(DWORD dwMilliseconds)
{
    const DWORD dwStart = ::GetTickCount();
    while (!(m_hFrame = FindProcessWindow(m_pi.dwProcessId, "Tessaly")))
    {
        if (!IsRunning() || ::GetTickCount() - dwStart > dwMilliseconds)
            return nullptr;
        ::Sleep(20);
    }
    return m_hFrame;
}

bool CMonitorProcess::WaitForExit(DWORD dwMilliseconds)
{
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, dwMilliseconds) == WAIT_OBJECT_0;
}

bool CMonitorProcess::IsRunning() const
{
    return m_pi.hProcess && ::WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CMonitorProcess::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    ::GetExitCodeProcess(m_pi.hProcess, &dwCode);
    return dwCode;
}

std::string CMonitorProcess::ConsoleText() const
{
    HWND hConsole = m_hFrame ? ::GetDlgItem(m_hFrame, kConsolePaneId) : nullptr;
    if (!hConsole)
        return std::string();
    DWORD_PTR cch = 0;
    if (!::SendMessageTimeoutA(hConsole, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &cch))
        return std::string();
    std::vector<char> text(cch + 1);
    DWORD_PTR cchCopied = 0;
    ::SendMessageTimeoutA(hConsole, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                          SMTO_BLOCK, 5000, &cchCopied);
    return std::string(text.data(), cchCopied);
}

bool CMonitorProcess::WaitForConsoleText(const std::string& strNeedle, DWORD dwMilliseconds) const
{
    const DWORD dwStart = ::GetTickCount();
    while (ConsoleText().find(strNeedle) == std::string::npos)
    {
        if (::GetTickCount() - dwStart > dwMilliseconds)
            return false;
        ::Sleep(20);
    }
    return true;
}
