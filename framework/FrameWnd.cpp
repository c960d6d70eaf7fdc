#include "FrameWnd.h"

#include "CmdUI.h"
#include "ControlBar.h"
#include "ResourceString.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

namespace
{

constexpr int kMaxText = 256;

} // namespace

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CLOSE()
ON_WM_SIZE()
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
    if (!m_hWnd)
        return nullptr;
    CWnd* pWnd = FromHandlePermanent(::GetDlgItem(m_hWnd, static_cast<int>(nID)));
    return pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CControlBar)) ? static_cast<CControlBar*>(pWnd) : nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow)
{
    if (!pBar || !pBar->m_hWnd)
        return;
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

void CFrameWnd::DockControlBar(CControlBar* pBar)
{
    if (!pBar)
        return;
    pBar->SetBarStyle((pBar->GetBarStyle() & ~CBRS_ALIGN_ANY) | CBRS_ALIGN_TOP);
    RecalcLayout();
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd)
        return;
    RECT rcFree;
    GetClientRect(&rcFree);
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pWnd = FromHandlePermanent(hChild);
        // WS_VISIBLE, not IsWindowVisible: the frame itself may be hidden.
        if (!pWnd || !pWnd->IsKindOf(RUNTIME_CLASS(CControlBar)) || !(pWnd->GetStyle() & WS_VISIBLE))
            continue;
        CControlBar* pBar = static_cast<CControlBar*>(pWnd);
        pBar->RepositionInParent();
        RECT rcBar;
        pBar->GetWindowRect(&rcBar);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rcBar), 2);
        if (pBar->GetBarStyle() & CBRS_ALIGN_BOTTOM)
            rcFree.bottom = rcBar.top < rcFree.bottom ? rcBar.top : rcFree.bottom;
        else
            rcFree.top = rcBar.bottom > rcFree.top ? rcBar.bottom : rcFree.top;
    }
    if (rcFree.bottom < rcFree.top)
        rcFree.bottom = rcFree.top;
    HWND hView = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (hView)
        ::MoveWindow(hView, rcFree.left, rcFree.top, rcFree.right - rcFree.left, rcFree.bottom - rcFree.top,
                     TRUE);
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
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        CWnd* pWnd = FromHandlePermanent(hChild);
        if (pWnd && pWnd->IsKindOf(RUNTIME_CLASS(CControlBar)) && (pWnd->GetStyle() & WS_VISIBLE))
            static_cast<CControlBar*>(pWnd)->OnUpdateCmdUI(this, static_cast<BOOL>(wParam));
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
