#include "ConsoleInspection.h"

#include <richedit.h>
#include <tlhelp32.h>

#include <regex>
#include <vector>

namespace
{

constexpr UINT kConsolePaneId = 0xE900; // AFX_IDW_PANE_FIRST

HWND ConsoleOf(DWORD dwProcessId)
{
    const HWND hFrame = FindProcessWindow(dwProcessId, "Tessaly");
    return hFrame ? ::GetDlgItem(hFrame, kConsolePaneId) : nullptr;
}

} // namespace

bool AttachToTheMonitor(CMonitorProcess& monitor)
{
    const std::vector<DWORD> ids = MonitorProcessIds();
    return ids.size() == 1 && monitor.Attach(ids[0]) && monitor.WaitForFrame();
}

void SetProcessSuspended(DWORD dwProcessId, bool bSuspended)
{
    HANDLE hSnapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = ::Thread32First(hSnapshot, &entry); bMore; bMore = ::Thread32Next(hSnapshot, &entry))
    {
        HANDLE hThread = entry.th32OwnerProcessID == dwProcessId
                             ? ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID)
                             : nullptr;
        if (!hThread)
            continue;
        if (bSuspended)
            ::SuspendThread(hThread);
        else
            ::ResumeThread(hThread);
        ::CloseHandle(hThread);
    }
    ::CloseHandle(hSnapshot);
}

std::string WithStampsReplaced(const std::string& strText)
{
    static const std::regex stamp(R"(\[\d\d-\d\d-\d{4} \d\d:\d\d:\d\d\])");
    return std::regex_replace(strText, stamp, "[stamp]");
}

bool ConsoleColourAt(DWORD dwProcessId, LONG nPosition, COLORREF& colour)
{
    const HWND hConsole = ConsoleOf(dwProcessId);
    HANDLE hProcess =
        ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, dwProcessId);
    if (!hConsole || !hProcess)
        return false;
    bool bRead = false;
    if (void* pRemote = ::VirtualAllocEx(hProcess, nullptr, sizeof(CHARFORMAT2A), MEM_COMMIT, PAGE_READWRITE))
    {
        CHARFORMAT2A format = {};
        format.cbSize = sizeof(format);
        format.dwMask = CFM_COLOR;
        SIZE_T cbDone = 0;
        DWORD_PTR dwResult = 0;
        bRead = ::WriteProcessMemory(hProcess, pRemote, &format, sizeof(format), &cbDone) &&
                ::SendMessageTimeoutA(hConsole, EM_SETSEL, nPosition, nPosition + 1, SMTO_BLOCK, 5000,
                                      &dwResult) &&
                ::SendMessageTimeoutA(hConsole, EM_GETCHARFORMAT, SCF_SELECTION,
                                      reinterpret_cast<LPARAM>(pRemote), SMTO_BLOCK, 5000, &dwResult) &&
                ::ReadProcessMemory(hProcess, pRemote, &format, sizeof(format), &cbDone);
        colour = format.crTextColor;
        ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    }
    ::CloseHandle(hProcess);
    return bRead;
}

COLORREF ColourOfLineWith(const CMonitorProcess& monitor, const std::string& strNeedle)
{
    const std::string strText = monitor.ConsoleText();
    const std::size_t nFound = strText.find(strNeedle);
    if (nFound == std::string::npos)
        return CLR_INVALID;
    const std::size_t nLineStart =
        strText.rfind('\n', nFound) == std::string::npos ? 0 : strText.rfind('\n', nFound) + 1;
    // The control counts a line end as one character, the text it gives as two.
    LONG nPosition = static_cast<LONG>(nLineStart);
    for (std::size_t i = 0; i < nLineStart; ++i)
        nPosition -= strText[i] == '\r' ? 1 : 0;
    COLORREF colour = CLR_INVALID;
    return ConsoleColourAt(monitor.ProcessId(), nPosition, colour) ? colour : CLR_INVALID;
}
