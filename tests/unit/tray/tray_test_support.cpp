#include "tray_test_support.h"

#include <cstring>

namespace
{

constexpr UINT kKeeperId = 9999;

// Closes the menu that PrepareMenu saw opening, from inside the menu's own loop.
void CALLBACK CloseMenuTimerProc(HWND, UINT, UINT_PTR idEvent, DWORD)
{
    ::KillTimer(nullptr, idEvent);
    ::EndMenu();
}

bool IsShellIconClass(HWND hWnd)
{
    char szClass[64] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    return std::strcmp(szClass, "__winex11_tray_icon") == 0 || std::strcmp(szClass, "__wine_tray_icon") == 0;
}

struct IconWindowSearch
{
    UINT uMouseMessage;
    int nFound;
};

BOOL CALLBACK VisitIconWindow(HWND hWnd, LPARAM lParam)
{
    IconWindowSearch& search = *reinterpret_cast<IconWindowSearch*>(lParam);
    if (IsShellIconClass(hWnd))
    {
        ::PostMessageA(hWnd, search.uMouseMessage, 0, 0);
        ++search.nFound;
    }
    return TRUE;
}

BOOL CALLBACK VisitTopLevel(HWND hWnd, LPARAM lParam)
{
    VisitIconWindow(hWnd, lParam);
    ::EnumChildWindows(hWnd, &VisitIconWindow, lParam);
    return TRUE;
}

NOTIFYICONDATAA MakeRecord(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.hWnd = hWnd;
    nid.uID = uID;
    return nid;
}

} // namespace

BOOL CTestTray::NotifyShell(DWORD dwMessage)
{
    const BOOL bResult = m_bShellDown ? FALSE : CSystemTray::NotifyShell(dwMessage);
    m_calls.push_back({dwMessage, m_nid, bResult});
    return bResult;
}

void CTestTray::PrepareMenu(HMENU hMenu)
{
    ++m_nPrepareCalls;
    m_uDefaultByPosition = ::GetMenuDefaultItem(hMenu, TRUE, 0);
    m_uDefaultCommand = ::GetMenuDefaultItem(hMenu, FALSE, 0);
    m_nMenuItems = ::GetMenuItemCount(hMenu);
    m_uFirstItemId = ::GetMenuItemID(hMenu, 0);
    ::SetTimer(nullptr, 0, 100, &CloseMenuTimerProc);
}

BEGIN_MESSAGE_MAP(CCommandSink, CWnd)
ON_COMMAND_RANGE(1, 0xFFFF, OnTrayCommand)
END_MESSAGE_MAP()

BOOL CCommandSink::Create()
{
    return CreateEx(0, AfxRegisterWndClass(0), "command sink", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr);
}

LRESULT CCommandSink::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NULL)
        ++m_nNullMessages;
    return CWnd::WindowProc(message, wParam, lParam);
}

CKeeperIcon::CKeeperIcon()
{
    if (!m_wnd.CreateEx(0, AfxRegisterWndClass(0), "keeper", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr))
        return;
    NOTIFYICONDATAA nid = MakeRecord(m_wnd.m_hWnd, kKeeperId);
    nid.uFlags = NIF_ICON | NIF_TIP;
    nid.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    lstrcpynA(nid.szTip, "keeper", sizeof(nid.szTip));
    m_bAdded = ::Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

CKeeperIcon::~CKeeperIcon()
{
    if (m_bAdded)
        ShellDeleteIcon(m_wnd.m_hWnd, kKeeperId);
}

bool ShellHasIcon(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAA nid = MakeRecord(hWnd, uID);
    nid.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
}

bool ShellAddIcon(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAA nid = MakeRecord(hWnd, uID);
    nid.uFlags = NIF_ICON;
    nid.hIcon = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32516)); // IDI_INFORMATION
    return ::Shell_NotifyIconA(NIM_ADD, &nid) != FALSE;
}

bool ShellDeleteIcon(HWND hWnd, UINT uID)
{
    NOTIFYICONDATAA nid = MakeRecord(hWnd, uID);
    return ::Shell_NotifyIconA(NIM_DELETE, &nid) != FALSE;
}

int PostToShellIconWindows(UINT uMouseMessage)
{
    IconWindowSearch search = {uMouseMessage, 0};
    ::EnumWindows(&VisitTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.nFound;
}

std::vector<char> MakeText(size_t nLength)
{
    std::vector<char> text(nLength + 1, '\0');
    for (size_t i = 0; i < nLength; ++i)
        text[i] = static_cast<char>('0' + i % 10);
    return text;
}
