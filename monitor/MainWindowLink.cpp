#include "MainWindowLink.h"

#include "MonitorGlobals.h"
#include "ui/resource.h"

namespace
{

class CCriticalSectionLock
{
public:
    explicit CCriticalSectionLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
    ~CCriticalSectionLock() { ::LeaveCriticalSection(&m_cs); }
    CCriticalSectionLock(const CCriticalSectionLock&) = delete;
    CCriticalSectionLock& operator=(const CCriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

} // namespace

CMainWindowLink::CMainWindowLink() : m_hLineGate(::CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
    ::InitializeCriticalSection(&m_lock);
}

CMainWindowLink::~CMainWindowLink()
{
    if (m_hLineGate)
        ::CloseHandle(m_hLineGate);
    ::DeleteCriticalSection(&m_lock);
}

void CMainWindowLink::Publish(HWND hWnd, bool bDebugMode)
{
    CCriticalSectionLock lock(m_lock);
    m_hWnd = hWnd;
    // Asked once: for a window of another thread the question may cost a round
    // trip to the window system, too much for every line. Kept after the window
    // is withdrawn: the thread stays the window's thread to the end.
    if (hWnd)
        m_dwWindowThreadId = ::GetWindowThreadProcessId(hWnd, nullptr);
    m_bDebugMode = bDebugMode;
    if (m_bExitRequested && m_hWnd && ::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0))
        m_bExitRequested = false;
}

void CMainWindowLink::Withdraw()
{
    CCriticalSectionLock lock(m_lock);
    m_hWnd = nullptr;
    // Nobody would reopen it now; waiting senders find no window and drop their lines.
    OpenLineGate();
}

HWND CMainWindowLink::GetWindow() const
{
    CCriticalSectionLock lock(m_lock);
    return m_hWnd;
}

HWND CMainWindowLink::GetWindowAndThread(DWORD* pdwThreadId) const
{
    CCriticalSectionLock lock(m_lock);
    *pdwThreadId = m_dwWindowThreadId;
    return m_hWnd;
}

bool CMainWindowLink::IsDebugMode() const
{
    CCriticalSectionLock lock(m_lock);
    return m_bDebugMode;
}

bool CMainWindowLink::IsWindowThread() const
{
    const DWORD dwThreadId = m_dwWindowThreadId.load();
    return dwThreadId != 0 && dwThreadId == ::GetCurrentThreadId();
}

bool CMainWindowLink::SendConsoleLine(int nColourClass, const char* pszText) const
{
    DWORD dwWindowThreadId = 0;
    HWND hWnd = GetWindowAndThread(&dwWindowThreadId);
    if (!hWnd)
        return false;
    // The window's own thread (the monitor's logger) must not wait for itself. An
    // open gate costs a flag read; a line that slips past as it closes is harmless.
    if (m_bLineGateClosed.load() && dwWindowThreadId != ::GetCurrentThreadId())
    {
        ::WaitForSingleObject(m_hLineGate, kLineGateWaitMs);
        hWnd = GetWindowAndThread(&dwWindowThreadId); // it may have gone while the gate was closed
        if (!hWnd)
            return false;
    }
    const WPARAM wParam = static_cast<WPARAM>(nColourClass);
    const LPARAM lParam = reinterpret_cast<LPARAM>(pszText);
    // On the window's own thread the message is a call: there is nothing to wait
    // for, and so nothing to group.
    if (!m_bQueueLines || dwWindowThreadId == ::GetCurrentThreadId())
    {
        ::SendMessageA(hWnd, g_uAppMonUpdateMessage, wParam, lParam);
        return true;
    }
    Console::CWaitingLine line(wParam, pszText);
    m_lines.HandOver(line);
    // A window destroyed after the copy makes SendMessage fail harmlessly; the
    // line then leaves the queue unshown.
    ::SendMessageA(hWnd, g_uAppMonUpdateMessage, wParam, lParam);
    m_lines.Finish(line);
    return true;
}

bool CMainWindowLink::SendExitCommand() const
{
    HWND hWnd = GetWindow();
    if (!hWnd)
        return false;
    ::SendMessageA(hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0);
    return true;
}

void CMainWindowLink::LetPostedMessagesThrough()
{
    // Looking at the queue after every line, and closing the gate for whatever
    // happens to be posted, cost a sixth of the line rate; a posted message waits
    // at most one interval longer this way.
    const DWORD dwNow = ::GetTickCount();
    if (dwNow - m_dwLastQueueLook < kQueueLookIntervalMs)
        return;
    m_dwLastQueueLook = dwNow;
    if (HIWORD(::GetQueueStatus(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) == 0)
        return;
    CCriticalSectionLock lock(m_lock);
    if (!m_hWnd || m_bLineGateClosed || !m_hLineGate)
        return;
    // Posted behind the waiting messages, it arrives once they have been handled.
    if (!::PostMessageA(m_hWnd, WM_REOPENLINEGATE, 0, 0))
        return;
    m_bLineGateClosed = true;
    ::ResetEvent(m_hLineGate);
}

void CMainWindowLink::ReopenLineGate()
{
    CCriticalSectionLock lock(m_lock);
    OpenLineGate();
}

void CMainWindowLink::OpenLineGate()
{
    m_bLineGateClosed = false;
    if (m_hLineGate)
        ::SetEvent(m_hLineGate);
}

void CMainWindowLink::RequestExit()
{
    CCriticalSectionLock lock(m_lock);
    // Posting never waits for the window's thread, so it may happen under the lock.
    m_bExitRequested = !m_hWnd || !::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0);
}
