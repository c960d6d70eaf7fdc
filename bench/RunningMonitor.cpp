#include "RunningMonitor.h"

#include <psapi.h>
#include <tlhelp32.h>

namespace Bench
{
namespace
{

// Commands of the monitor's frame.
constexpr UINT kOpenConsole = 32771;
constexpr UINT kExitMonitor = 32772;
constexpr UINT kClearMessages = 32773;
constexpr DWORD kCommandTimeoutMs = 30000;
// Debug mode without a logger: every client line is shown and the monitor stays
// when the last host leaves.
constexpr char kDebugValue[] = "ALL";

} // namespace

CRunningMonitor::~CRunningMonitor()
{
    Exit();
}

bool CRunningMonitor::Start(const char* pszProgram)
{
    if (!m_process.Start("", kDebugValue, pszProgram))
        return false;
    m_hFrame = m_process.WaitForFrame(30000);
    return m_hFrame != nullptr;
}

void CRunningMonitor::OpenConsole() const
{
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(m_hFrame, WM_COMMAND, kOpenConsole, 0, SMTO_BLOCK, kCommandTimeoutMs, &dwResult);
}

void CRunningMonitor::HideConsole() const
{
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(m_hFrame, WM_CLOSE, 0, 0, SMTO_BLOCK, kCommandTimeoutMs, &dwResult);
}

void CRunningMonitor::ClearConsole() const
{
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(m_hFrame, WM_COMMAND, kClearMessages, 0, SMTO_BLOCK, kCommandTimeoutMs, &dwResult);
}

std::size_t CRunningMonitor::PrivateBytes() const
{
    HANDLE hProcess =
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, m_process.ProcessId());
    if (!hProcess)
        return 0;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    const BOOL bOk = ::GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                            sizeof(counters));
    ::CloseHandle(hProcess);
    if (!bOk)
        return 0;
    // Wine leaves PrivateUsage 0; PagefileUsage is the same commit charge.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

bool CRunningMonitor::Exit()
{
    if (!m_process.IsRunning())
        return true;
    if (m_hFrame)
        ::PostMessageA(m_hFrame, WM_COMMAND, kExitMonitor, 0);
    return m_process.WaitForExit(15000);
}

bool IsAnyMonitorRunning()
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    bool bFound = false;
    for (BOOL bMore = ::Process32First(hSnapshot, &entry); bMore && !bFound;
         bMore = ::Process32Next(hSnapshot, &entry))
        bFound = lstrcmpiA(entry.szExeFile, kMonitorProgram) == 0 ||
                 lstrcmpiA(entry.szExeFile, kOneLineMonitorProgram) == 0;
    ::CloseHandle(hSnapshot);
    return bFound;
}

} // namespace Bench
