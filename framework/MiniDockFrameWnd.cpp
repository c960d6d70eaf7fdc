#include "MiniDockFrameWnd.h"

#include "ControlBar.h"
#include "DockContext.h"
#include "FrameWnd.h"

#include <windowsx.h>

namespace
{

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;

} // namespace

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CWnd)
ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
ON_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
ON_WM_CLOSE()
END_MESSAGE_MAP()

BOOL CMiniDockFrameWnd::Create(CControlBar* pBar)
{
    CFrameWnd* pFrame = pBar ? pBar->GetDockingFrame() : nullptr;
    if (!pFrame || !pFrame->m_hWnd)
        return FALSE;
    LPCSTR lpszClass = AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    if (!lpszClass)
        return FALSE;
    m_pBar = pBar;
    // The bar's window text, if it has one, is the caption.
    char szTitle[128] = "";
    ::GetWindowTextA(pBar->m_hWnd, szTitle, sizeof(szTitle));
    return CreateEx(kExStyle, lpszClass, szTitle, kStyle, 0, 0, 0, 0, pFrame->m_hWnd, nullptr);
}

SIZE CMiniDockFrameWnd::CalcWindowSize(SIZE szBar)
{
    RECT rc = {0, 0, szBar.cx, szBar.cy};
    ::AdjustWindowRectEx(&rc, kStyle, FALSE, kExStyle);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

LRESULT CMiniDockFrameWnd::OnNcLButtonDown(WPARAM wParam, LPARAM lParam)
{
    // The caption drags the bar, not this window: over a side of the frame it docks.
    if (wParam != HTCAPTION || !m_pBar)
        return Default();
    CDockContext drag(m_pBar);
    drag.Track(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return 0;
}

LRESULT CMiniDockFrameWnd::OnNcLButtonDblClk(WPARAM wParam, LPARAM)
{
    CFrameWnd* pFrame = m_pBar ? m_pBar->GetDockingFrame() : nullptr;
    if (wParam != HTCAPTION || !pFrame)
        return Default();
    // Hides this window; it stays for the next time the bar floats.
    pFrame->DockControlBar(m_pBar, m_pBar->GetLastDockBarID());
    return 0;
}

void CMiniDockFrameWnd::OnClose()
{
    CFrameWnd* pFrame = m_pBar ? m_pBar->GetDockingFrame() : nullptr;
    if (pFrame)
        pFrame->ShowControlBar(m_pBar, FALSE);
}
