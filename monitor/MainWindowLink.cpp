#include "MainWindowLink.h"

#include "MonitorGlobals.h"
#include "SlimLock.h"
#include "ui/resource.h"

namespace
{

#ifdef TESSALY_LINES_ONE_BY_ONE
// The benchmark's second monitor compiles this file itself with the switch: its
// window is never taken for one that drains the queue, so every line goes to it by
// itself, as its own insertion, to measure what the queue gains.
constexpr bool kQueueLines = false;
#else
constexpr bool kQueueLines = true;
#endif

} // namespace

void CMainWindowLink::Publish(HWND hWnd, bool bDebugMode, bool bDrainsQueue)
{
    CSlimLockGuard lock(m_lock);
    m_hWnd = hWnd;
    m_bDrainsQueue = kQueueLines && bDrainsQueue;
    if (hWnd && m_bDrainsQueue)
        m_lines.Open();
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
    CSlimLockGuard lock(m_lock);
    m_hWnd = nullptr;
    // Nobody would reopen it now; waiting senders find no window and drop their lines.
    m_lineGate.Open();
    // Nor drain the queue: its waiting senders drop their lines too.
    m_lines.Close();
}

HWND CMainWindowLink::GetWindow() const
{
    CSlimLockGuard lock(m_lock);
    return m_hWnd;
}

HWND CMainWindowLink::GetWindowAndThread(DWORD* pdwThreadId, bool* pbDrainsQueue) const
{
    CSlimLockGuard lock(m_lock);
    *pdwThreadId = m_dwWindowThreadId;
    if (pbDrainsQueue)
        *pbDrainsQueue = m_bDrainsQueue;
    return m_hWnd;
}

bool CMainWindowLink::IsDebugMode() const
{
    CSlimLockGuard lock(m_lock);
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
    bool bDrainsQueue = false;
    HWND hWnd = GetWindowAndThread(&dwWindowThreadId, &bDrainsQueue);
    if (!hWnd)
        return false;
    // The window's own thread (the monitor's logger) must not wait for itself.
    if (dwWindowThreadId != ::GetCurrentThreadId() && m_lineGate.Pass())
    {
        // It may have gone while the gate was closed.
        hWnd = GetWindowAndThread(&dwWindowThreadId, &bDrainsQueue);
        if (!hWnd)
            return false;
    }
    const WPARAM wParam = static_cast<WPARAM>(nColourClass);
    // On the window's own thread the message is a call: there is nothing to wait
    // for, and so nothing to group.
    if (!bDrainsQueue || dwWindowThreadId == ::GetCurrentThreadId())
    {
        // A window destroyed after the copy makes SendMessage fail harmlessly.
        ::SendMessageA(hWnd, g_uAppMonUpdateMessage, wParam, reinterpret_cast<LPARAM>(pszText));
        return true;
    }
    Console::CWaitingLine line(wParam, pszText);
    switch (m_lines.HandOver(line))
    {
    case Console::CConsoleLineQueue::HandOverResult::kClosed:
        return false; // withdrawn after the copy
    case Console::CConsoleLineQueue::HandOverResult::kWakeWindow:
        // Fails once the window is destroyed or its queue is full: the lines
        // waiting then leave unshown instead of waiting for a message that never comes.
        if (!::PostMessageA(hWnd, WM_DRAINCONSOLELINES, 0, 0))
            m_lines.WakeFailed();
        break;
    case Console::CConsoleLineQueue::HandOverResult::kWindowWakes:
        break;
    }
    m_lines.WaitUntilDone(line);
    return true;
}

void CMainWindowLink::DrainLinesOnWindowThread() const
{
    DWORD dwWindowThreadId = 0;
    bool bDrainsQueue = false;
    const HWND hWnd = GetWindowAndThread(&dwWindowThreadId, &bDrainsQueue);
    if (hWnd && bDrainsQueue && dwWindowThreadId == ::GetCurrentThreadId())
        ::SendMessageA(hWnd, WM_DRAINCONSOLELINES, 0, 0);
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
    CSlimLockGuard lock(m_lock);
    // Posting never waits for the window's thread, so it may happen under the lock.
    m_bExitRequested = !m_hWnd || !::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0);
}
