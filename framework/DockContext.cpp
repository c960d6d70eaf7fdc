#include "DockContext.h"

#include "ControlBar.h"
#include "FrameWnd.h"

#include <windowsx.h>

#include <climits>
#include <cstdlib>

namespace
{

constexpr int kDockedOutlineWidth = 2;
constexpr int kFloatingOutlineWidth = 4;

LONG Clamp(LONG nValue, LONG nLow, LONG nHigh)
{
    return nValue < nLow ? nLow : (nValue > nHigh ? nHigh : nValue);
}

} // namespace

CDockContext::CDockContext(CControlBar* pBar)
    : m_pBar(pBar), m_pFrame(pBar ? pBar->GetDockingFrame() : nullptr)
{
}

BOOL CDockContext::Track(POINT ptScreen)
{
    if (!m_pFrame || !m_pBar->m_hWnd)
        return FALSE;
    const HWND hBar = m_pBar->m_hWnd;
    // The pointer holds the floating window by its caption, or the docked bar.
    CMiniDockFrameWnd* pFloat = m_pBar->GetFloatingFrame();
    RECT rcHeld;
    ::GetWindowRect(m_pBar->IsFloating() && pFloat ? pFloat->m_hWnd : hBar, &rcHeld);
    m_ptStart = ptScreen;
    m_ptLast = ptScreen;
    m_ptOffset = {ptScreen.x - rcHeld.left, ptScreen.y - rcHeld.top};
    // The shapes the outline takes; laying them out moves the buttons, so the
    // bar's own layout is restored before anything paints.
    m_szHorz = m_pBar->CalcFixedLayout(FALSE, TRUE);
    m_szVert = m_pBar->CalcFixedLayout(FALSE, FALSE);
    m_szFloat = CMiniDockFrameWnd::CalcWindowSize(m_pBar->CalcFloatingLayout());
    m_pBar->CalcFixedLayout(FALSE, m_pBar->IsHorz());

    ::SetCapture(hBar);
    if (::GetCapture() != hBar)
        return FALSE;
    // Nothing paints over the outline meanwhile, so drawing it again erases it.
    const BOOL bLocked = ::LockWindowUpdate(::GetDesktopWindow());
    BOOL bDrop = FALSE;
    POINT ptDrop = ptScreen;
    for (bool bTracking = true; bTracking;)
    {
        MSG msg;
        const BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot == 0)
        {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // for the program's own loop
            break;
        }
        if (bGot == -1 || ::GetCapture() != hBar)
            break;
        switch (msg.message)
        {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            POINT pt = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            ::MapWindowPoints(msg.hwnd, nullptr, &pt, 1);
            Move(pt);
            if (msg.message == WM_LBUTTONUP)
            {
                bDrop = m_bMoved;
                ptDrop = pt;
                bTracking = false;
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_KEYUP:
            if (msg.wParam == VK_ESCAPE)
                bTracking = false;
            else if (msg.wParam == VK_CONTROL)
                Move(m_ptLast); // Ctrl decides between docking and floating
            break;
        case WM_RBUTTONDOWN:
            bTracking = false;
            break;
        default:
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            break;
        }
    }
    if (m_bDrawn)
        InvertOutline();
    if (bLocked)
        ::LockWindowUpdate(nullptr);
    if (::GetCapture() == hBar)
        ::ReleaseCapture();
    if (!bDrop)
        return FALSE;

    const UINT nTarget = TargetAt(ptDrop);
    if (nTarget != 0)
    {
        m_pFrame->DockControlBar(m_pBar, nTarget);
        return TRUE;
    }
    const RECT rcFloat = OutlineAt(0, ptDrop);
    return m_pFrame->FloatControlBar(m_pBar, POINT{rcFloat.left, rcFloat.top});
}

UINT CDockContext::TargetAt(POINT ptScreen) const
{
    if (::GetKeyState(VK_CONTROL) < 0)
        return 0;
    const DWORD dwAllowed = m_pFrame->GetDockStyle() & m_pBar->GetDockStyle();
    RECT rc;
    ::GetClientRect(m_pFrame->m_hWnd, &rc);
    ::MapWindowPoints(m_pFrame->m_hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    // A side's zone reaches as deep into the client area as the bar would be thick
    // there, and as far out (over the frame's border, caption and menu).
    const LONG nDepthHorz = m_szHorz.cy;
    const LONG nDepthVert = m_szVert.cx;
    const LONG nReach = nDepthHorz > nDepthVert ? nDepthHorz : nDepthVert;
    if (ptScreen.x < rc.left - nReach || ptScreen.x >= rc.right + nReach || ptScreen.y < rc.top - nReach ||
        ptScreen.y >= rc.bottom + nReach)
        return 0;
    struct Side
    {
        UINT nDockBarID;
        DWORD dwAlign;
        LONG nInward; // the pointer's distance into the client area from this side
        LONG nDepth;
    };
    const Side sides[] = {
        {AFX_IDW_DOCKBAR_TOP, CBRS_ALIGN_TOP, ptScreen.y - rc.top, nDepthHorz},
        {AFX_IDW_DOCKBAR_BOTTOM, CBRS_ALIGN_BOTTOM, rc.bottom - 1 - ptScreen.y, nDepthHorz},
        {AFX_IDW_DOCKBAR_LEFT, CBRS_ALIGN_LEFT, ptScreen.x - rc.left, nDepthVert},
        {AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_RIGHT, rc.right - 1 - ptScreen.x, nDepthVert},
    };
    UINT nTarget = 0;
    LONG nNearest = LONG_MAX;
    for (const Side& side : sides)
    {
        const LONG nDistance = std::labs(side.nInward);
        if ((dwAllowed & side.dwAlign) && nDistance < side.nDepth && nDistance < nNearest)
        {
            nTarget = side.nDockBarID;
            nNearest = nDistance;
        }
    }
    return nTarget;
}

RECT CDockContext::OutlineAt(UINT nTarget, POINT ptScreen) const
{
    SIZE size = m_szFloat;
    if (nTarget == AFX_IDW_DOCKBAR_LEFT || nTarget == AFX_IDW_DOCKBAR_RIGHT)
        size = m_szVert;
    else if (nTarget != 0)
        size = m_szHorz;
    // The pointer keeps its place on the window as far as the new shape allows.
    const LONG x = ptScreen.x - Clamp(m_ptOffset.x, 0, size.cx > 0 ? size.cx - 1 : 0);
    const LONG y = ptScreen.y - Clamp(m_ptOffset.y, 0, size.cy > 0 ? size.cy - 1 : 0);
    return RECT{x, y, x + size.cx, y + size.cy};
}

void CDockContext::Move(POINT ptScreen)
{
    m_ptLast = ptScreen;
    if (!m_bMoved)
    {
        if (std::labs(ptScreen.x - m_ptStart.x) <= ::GetSystemMetrics(SM_CXDRAG) &&
            std::labs(ptScreen.y - m_ptStart.y) <= ::GetSystemMetrics(SM_CYDRAG))
            return;
        m_bMoved = TRUE;
    }
    const UINT nTarget = TargetAt(ptScreen);
    const RECT rcOutline = OutlineAt(nTarget, ptScreen);
    const int nWidth = nTarget != 0 ? kDockedOutlineWidth : kFloatingOutlineWidth;
    if (m_bDrawn && ::EqualRect(&rcOutline, &m_rcOutline) && nWidth == m_nOutlineWidth)
        return;
    if (m_bDrawn)
        InvertOutline();
    m_rcOutline = rcOutline;
    m_nOutlineWidth = nWidth;
    InvertOutline();
    m_bDrawn = TRUE;
}

void CDockContext::InvertOutline() const
{
    const HWND hDesktop = ::GetDesktopWindow();
    HDC hDC = ::GetDCEx(hDesktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    if (!hDC)
        return;
    const RECT& rc = m_rcOutline;
    const int w = m_nOutlineWidth;
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    ::PatBlt(hDC, rc.left, rc.top, cx, w, DSTINVERT);
    ::PatBlt(hDC, rc.left, rc.bottom - w, cx, w, DSTINVERT);
    ::PatBlt(hDC, rc.left, rc.top + w, w, cy - 2 * w, DSTINVERT);
    ::PatBlt(hDC, rc.right - w, rc.top + w, w, cy - 2 * w, DSTINVERT);
    ::ReleaseDC(hDesktop, hDC);
}
