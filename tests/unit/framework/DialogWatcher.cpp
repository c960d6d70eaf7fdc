#include "DialogWatcher.h"

namespace
{

BOOL CALLBACK FindDialogBox(HWND hWnd, LPARAM lParam)
{
    char szClass[16] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    if (lstrcmpA(szClass, "#32770") == 0 && ::IsWindowVisible(hWnd))
    {
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindThreadDialog(DWORD dwThreadId)
{
    HWND hDlg = nullptr;
    ::EnumThreadWindows(dwThreadId, &FindDialogBox, reinterpret_cast<LPARAM>(&hDlg));
    return hDlg;
}

// Waits up to dwMs for the window to go away.
bool WaitGone(HWND hWnd, DWORD dwMs)
{
    for (DWORD dwStart = ::GetTickCount(); ::GetTickCount() - dwStart < dwMs; ::Sleep(20))
    {
        if (!::IsWindow(hWnd))
            return true;
    }
    return !::IsWindow(hWnd);
}

} // namespace

CDialogWatcher::CDialogWatcher(std::function<void(HWND)> action, DWORD dwTimeoutMs)
    : m_dwThreadId(::GetCurrentThreadId()), m_dwTimeoutMs(dwTimeoutMs), m_action(std::move(action)),
      m_thread([this] { Watch(); })
{
}

CDialogWatcher::~CDialogWatcher()
{
    Join();
}

void CDialogWatcher::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CDialogWatcher::Watch()
{
    HWND hDlg = nullptr;
    for (DWORD dwStart = ::GetTickCount(); !hDlg && ::GetTickCount() - dwStart < m_dwTimeoutMs; ::Sleep(20))
        hDlg = FindThreadDialog(m_dwThreadId);
    if (!hDlg)
        return;
    m_bFound = true;
    char szCaption[256] = "";
    ::GetWindowTextA(hDlg, szCaption, sizeof(szCaption));
    m_strCaption = szCaption;
    m_hOwner = ::GetWindow(hDlg, GW_OWNER);
    if (m_action)
        m_action(hDlg);
    if (WaitGone(hDlg, m_dwTimeoutMs))
        return;
    // Still there: cancel it, and any box it opened on top, until it goes.
    m_bHadToCancel = true;
    for (int i = 0; i < 25 && ::IsWindow(hDlg); ++i)
    {
        if (HWND hTop = FindThreadDialog(m_dwThreadId))
            ::PostMessageA(hTop, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        ::PostMessageA(hDlg, WM_CLOSE, 0, 0);
        WaitGone(hDlg, 200);
    }
}

void ClickDialogButton(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}
