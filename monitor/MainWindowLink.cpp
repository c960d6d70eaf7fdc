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
    m_bDebugMode = bDebugMode;
    if (m_bExitRequested && m_hWnd && ::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0))
        m_bExitRequested = false;
}

void CMainWindowLink::Withdraw()
{
    CCriticalSectionLock lock(m_lock);
    m_hWnd = nullptr;
}

HWND CMainWindowLink::GetWindow() const
{
    CCriticalSectionLock lock(m_lock);
    return m_hWnd;
}

bool CMainWindowLink::IsDebugMode() const
{
    CCriticalSectionLock lock(m_lock);
    return m_bDebugMode;
}

bool CMainWindowLink::SendConsoleLine(int nColourClass, const char* pszText) const
{
    HWND hWnd = GetWindow();
    if (!hWnd)
        return false;
    // A window destroyed after the copy makes SendMessage fail harmlessly.
    ::SendMessageA(hWnd, g_uAppMonUpdateMessage, static_cast<WPARAM>(nColourClass),
                   reinterpret_cast<LPARAM>(pszText));
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

void CMainWindowLink::RequestExit()
{
    CCriticalSectionLock lock(m_lock);
    // Posting never waits for the window's thread, so it may happen under the lock.
    m_bExitRequested = !m_hWnd || !::PostMessageA(m_hWnd, WM_COMMAND, ID_EXIT_MONITOR, 0);
}
