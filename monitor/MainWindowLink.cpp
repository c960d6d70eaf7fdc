#include "MainWindowLink.h"

#include "MonitorGlobals.h"
#include "ui/resource.h"

namespace
{

#ifdef TESSALY_LINES_ONE_BY_ONE
// The benchmark's second monitor compiles this file itself with the switch: every
// line goes to the window by itself, as its own insertion, to measure what the
// queue gains.
constexpr bool kQueueLines = false;
#else
constexpr bool kQueueLines = true;
#endif

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

CMainWindowLink::CMainWindowLink()
{
    ::InitializeCriticalSection(&m_lock);
}

CMainWindowLink::~CMainWindowLink()
{
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
    m_lineGate.Open();
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
    // The window's own thread (the monitor's logger) must not wait for itself.
    if (dwWindowThreadId != ::GetCurrentThreadId() && m_lineGate.Pass())
    {
        hWnd = GetWindowAndThread(&dwWindowThreadId); // it may have gone while the gate was closed
        if (!hWnd)
            return false;
    }
    const WPARAM wParam = static_cast<WPARAM>(nColourClass);
    const LPARAM lParam = reinterpret_cast<LPARAM>(pszText);
    // On the window's own thread the message is a call: there is nothing to wait
    // for, and so nothing to group.
    if (!kQueueLines || dwWindowThreadId == ::GetCurrentThreadId())
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
    if (!m_lineGate.PostedMessagesWait())
        return;
    // Withdraw runs on this thread too, so the handle cannot go between the two.
    if (const HWND hWnd = GetWindow())
        m_lineGate.CloseBehindPostedMessages(hWnd);
}

void CMainWindowLink::RequestExit()
{
    CCriticalSectionLock lock(m_lock);
    // Posting never waits for the window's thread, so it may happen under the lock.
    m_bExitRequested = !m_hWnd || !::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0);
}
