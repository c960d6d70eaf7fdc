#include "FrameWnd.h"

#include "CmdUI.h"
#include "ControlBar.h"
#include "ResourceString.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

namespace
{

constexpr int kMaxText = 256;

// The sides in the order a bar docks to the first allowed one, and in the order
// RecalcLayout fills them: top and bottom span the width, left and right the rest.
struct DockSide
{
    UINT nDockBarID;
    DWORD dwAlign;
};
constexpr DockSide kDockSides[] = {
    {AFX_IDW_DOCKBAR_TOP, CBRS_ALIGN_TOP},
    {AFX_IDW_DOCKBAR_BOTTOM, CBRS_ALIGN_BOTTOM},
    {AFX_IDW_DOCKBAR_LEFT, CBRS_ALIGN_LEFT},
    {AFX_IDW_DOCKBAR_RIGHT, CBRS_ALIGN_RIGHT},
};

bool IsShown(const CControlBar* pBar)
{
    // WS_VISIBLE, not IsWindowVisible: the frame itself may be hidden.
    return pBar->m_hWnd && (pBar->GetStyle() & WS_VISIBLE);
}

} // namespace

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CLOSE()
ON_WM_SIZE()
ON_MESSAGE(WM_SHOWWINDOW, OnShowWindow)
ON_WM_INITMENUPOPUP()
ON_WM_MENUSELECT()
ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
ON_COMMAND_RANGE(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, OnBarCheck)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, void* pContext)
{
    if (m_hWnd)
        return FALSE;
    m_nIDResource = nIDResource;
    char szFull[kMaxText];
    AfxLoadString(nIDResource, szFull, sizeof(szFull));
    AfxExtractSubString(m_szTitle, sizeof(m_szTitle), szFull, 0);

    HINSTANCE hInst = AfxGetResourceHandle();
    HMENU hMenu = ::LoadMenuA(hInst, MAKEINTRESOURCEA(nIDResource));
    HACCEL hAccel = ::LoadAcceleratorsA(hInst, MAKEINTRESOURCEA(nIDResource));
    if (!CreateEx(0, nullptr, m_szTitle, dwDefaultStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                  CW_USEDEFAULT, pParentWnd ? pParentWnd->m_hWnd : nullptr, hMenu, pContext))
    {
        // This object is gone now (PostNcDestroy). A window that existed took its
        // menu with it; otherwise the menu is still ours.
        if (hMenu && ::IsMenu(hMenu))
            ::DestroyMenu(hMenu);
        return FALSE;
    }
    m_hAccelTable = hAccel;
    RecalcLayout();
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    return TRUE;
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs)
{
    if (!cs.lpszClass)
    {
        HICON hIcon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDResource));
        cs.lpszClass =
            AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorA(nullptr, IDC_ARROW),
                                reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
        if (!cs.lpszClass)
            return FALSE;
    }
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
    return TRUE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra)
{
    CWnd* pView = GetActiveView();
    if (pView && pView->OnCmdMsg(nID, nCode, pExtra))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra))
        return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp && pApp->OnCmdMsg(nID, nCode, pExtra);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    // The command runs inside TranslateAccelerator and may destroy this frame:
    // nothing of this object is used afterwards.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable && m_hWnd)
        return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, pMsg) != 0;
    return FALSE;
}

void CFrameWnd::PostNcDestroy()
{
    delete this;
}

void CFrameWnd::OnClose()
{
    DestroyWindow();
}

CWnd* CFrameWnd::GetActiveView() const
{
    return m_hWnd ? FromHandlePermanent(::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) : nullptr;
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    for (int i = 0; i < m_nBars; ++i)
    {
        if (m_pBars[i]->m_hWnd && static_cast<UINT>(m_pBars[i]->GetDlgCtrlID()) == nID)
            return m_pBars[i];
    }
    return nullptr;
}

BOOL CFrameWnd::AddControlBar(CControlBar* pBar)
{
    if (m_nBars == kMaxBars)
        return FALSE;
    m_pBars[m_nBars++] = pBar;
    return TRUE;
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    for (int i = 0; i < m_nBars; ++i)
    {
        if (m_pBars[i] != pBar)
            continue;
        for (int j = i + 1; j < m_nBars; ++j)
            m_pBars[j - 1] = m_pBars[j];
        m_pBars[--m_nBars] = nullptr;
        return;
    }
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow)
{
    if (!pBar || !pBar->m_hWnd)
        return;
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    CMiniDockFrameWnd* pFloat = pBar->GetFloatingFrame();
    if (pBar->IsFloating() && pFloat)
        pFloat->ShowWindow(bShow && IsWindowVisible() ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::DockControlBar(CControlBar* pBar, UINT nDockBarID)
{
    if (!pBar || !pBar->m_hWnd || pBar->GetDockingFrame() != this)
        return;
    const DWORD dwAllowed = m_dwDockStyle & pBar->GetDockStyle();
    for (const DockSide& side : kDockSides)
    {
        if ((nDockBarID == 0 || nDockBarID == side.nDockBarID) && (dwAllowed & side.dwAlign))
        {
            pBar->Dock(side.dwAlign, side.nDockBarID);
            RecalcLayout();
            return;
        }
    }
}

BOOL CFrameWnd::FloatControlBar(CControlBar* pBar, POINT ptScreen)
{
    if (!pBar || !pBar->m_hWnd || pBar->GetDockingFrame() != this || !pBar->Float(ptScreen))
        return FALSE;
    RecalcLayout();
    return TRUE;
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT rcFree;
    GetClientRect(&rcFree);
    // Bars that do not dock are the outermost, in creation order.
    for (int i = 0; i < m_nBars; ++i)
    {
        CControlBar* pBar = m_pBars[i];
        if (IsShown(pBar) && pBar->GetDockStyle() == 0)
            PlaceBar(pBar, pBar->GetBarStyle() & CBRS_ALIGN_ANY, rcFree);
    }
    for (const DockSide& side : kDockSides)
    {
        for (int i = 0; i < m_nBars; ++i)
        {
            CControlBar* pBar = m_pBars[i];
            if (IsShown(pBar) && pBar->GetDockStyle() != 0 && !pBar->IsFloating() &&
                (pBar->GetBarStyle() & side.dwAlign))
                PlaceBar(pBar, side.dwAlign, rcFree);
        }
    }
    HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (hView)
        ::MoveWindow(hView, rcFree.left, rcFree.top, rcFree.right - rcFree.left, rcFree.bottom - rcFree.top,
                     TRUE);
}

void CFrameWnd::PlaceBar(CControlBar* pBar, DWORD dwAlign, RECT& rcFree)
{
    const BOOL bHorz = (dwAlign & CBRS_ORIENT_VERT) == 0;
    const SIZE size = pBar->CalcFixedLayout(TRUE, bHorz);
    const LONG cxFree = rcFree.right - rcFree.left;
    const LONG cyFree = rcFree.bottom - rcFree.top;
    const LONG cx = size.cx < cxFree ? size.cx : cxFree;
    const LONG cy = size.cy < cyFree ? size.cy : cyFree;
    RECT rc = rcFree;
    if (dwAlign & CBRS_ALIGN_BOTTOM)
        rcFree.bottom = rc.top = rcFree.bottom - cy;
    else if (dwAlign & CBRS_ALIGN_LEFT)
        rcFree.left = rc.right = rcFree.left + cx;
    else if (dwAlign & CBRS_ALIGN_RIGHT)
        rcFree.right = rc.left = rcFree.right - cx;
    else
        rcFree.top = rc.bottom = rcFree.top + cy;
    ::SetWindowPos(pBar->m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::SetMessageText(LPCSTR lpszText)
{
    CControlBar* pBar = GetControlBar(AFX_IDW_STATUS_BAR);
    if (pBar && pBar->IsKindOf(RUNTIME_CLASS(CStatusBar)))
        static_cast<CStatusBar*>(pBar)->SetPaneText(0, lpszText);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    char szText[kMaxText];
    AfxLoadString(nID, szText, sizeof(szText));
    SetMessageText(szText);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy)
{
    CWnd::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        RecalcLayout();
}

LRESULT CFrameWnd::OnShowWindow(WPARAM wParam, LPARAM lParam)
{
    const LRESULT lResult = Default();
    // lParam 0: ShowWindow on this frame. Minimising hides owned windows by itself.
    if (lParam != 0)
        return lResult;
    for (int i = 0; i < m_nBars; ++i)
    {
        CMiniDockFrameWnd* pFloat = m_pBars[i]->GetFloatingFrame();
        if (pFloat && m_pBars[i]->IsFloating() && IsShown(m_pBars[i]))
            pFloat->ShowWindow(wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
    return lResult;
}

void CFrameWnd::OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu)
{
    CWnd::OnInitMenuPopup(hPopupMenu, nIndex, bSysMenu);
    if (bSysMenu || !hPopupMenu)
        return;
    CCmdUI state;
    state.m_hMenu = hPopupMenu;
    const int nCount = ::GetMenuItemCount(hPopupMenu);
    for (int i = 0; i < nCount; ++i)
    {
        // 0: separator; -1: a nested pop-up, updated when it opens.
        const UINT nID = ::GetMenuItemID(hPopupMenu, i);
        if (nID == 0 || nID == static_cast<UINT>(-1))
            continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = nID;
        state.DoUpdate(this, TRUE);
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu)
{
    CWnd::OnMenuSelect(nItemID, nFlags, hSysMenu);
    if (nFlags == 0xFFFF && !hSysMenu)
    {
        SetMessageText(AFX_IDS_IDLEMESSAGE); // the menu closed
        return;
    }
    if (nItemID == 0 || (nFlags & (MF_SEPARATOR | MF_POPUP | MF_SYSMENU)))
    {
        SetMessageText("");
        return;
    }
    char szFull[kMaxText];
    char szPrompt[kMaxText];
    AfxLoadString(nItemID, szFull, sizeof(szFull));
    AfxExtractSubString(szPrompt, sizeof(szPrompt), szFull, 0);
    SetMessageText(szPrompt);
}

LRESULT CFrameWnd::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    for (int i = 0; i < m_nBars; ++i)
    {
        if (IsShown(m_pBars[i]))
            m_pBars[i]->OnUpdateCmdUI(this, static_cast<BOOL>(wParam));
    }
    return 0;
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* pCmdUI)
{
    int nVirtKey = VK_CAPITAL;
    if (pCmdUI->m_nID == ID_INDICATOR_NUM)
        nVirtKey = VK_NUMLOCK;
    else if (pCmdUI->m_nID == ID_INDICATOR_SCRL)
        nVirtKey = VK_SCROLL;
    pCmdUI->Enable((::GetKeyState(nVirtKey) & 1) != 0); // toggled on
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* pBar = GetControlBar(pCmdUI->m_nID);
    if (!pBar)
    {
        pCmdUI->Enable(FALSE);
        return;
    }
    pCmdUI->SetCheck((pBar->GetStyle() & WS_VISIBLE) != 0);
}

void CFrameWnd::OnBarCheck(UINT nID)
{
    CControlBar* pBar = GetControlBar(nID);
    if (pBar)
        ShowControlBar(pBar, (pBar->GetStyle() & WS_VISIBLE) == 0);
}
