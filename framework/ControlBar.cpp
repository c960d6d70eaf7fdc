#include "ControlBar.h"

#include "CmdUI.h"
#include "FrameWnd.h"
#include "ResourceString.h"

#include <windowsx.h>

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace
{

constexpr char kStatusBarClass[] = "AfxStatusBar";
constexpr int kGripperExtent = 8; // the strip: a 3-pixel ridge with space either side
constexpr int kGripperInset = 2;
constexpr int kGripperRidge = 3;
constexpr int kPaneMargin = 8; // space around an indicator's text
constexpr int kMaxText = 256;

// A status-bar indicator being updated: disabled means blank.
class CStatusCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        char szText[kMaxText] = "";
        if (bOn)
            AfxLoadString(m_nID, szText, sizeof(szText));
        SetText(szText);
    }
    void SetCheck(int) override {}
    void SetText(LPCSTR lpszText) override
    {
        static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), lpszText);
    }
};

} // namespace

// ---- CControlBar ---------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
ON_MESSAGE(WM_NCCALCSIZE, OnNcCalcSize)
ON_MESSAGE(WM_NCPAINT, OnNcPaint)
ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CControlBar::~CControlBar()
{
    if (m_hWnd)
        DestroyWindow();
}

void CControlBar::SetBarStyle(DWORD dwStyle)
{
    const DWORD dwPlace = CBRS_ALIGN_ANY | CBRS_FLOATING;
    const DWORD dwOld = m_dwStyle;
    m_dwStyle = (dwStyle & CBRS_ALL & ~dwPlace) | (dwOld & dwPlace);
    if ((dwOld ^ m_dwStyle) & CBRS_GRIPPER)
        RecalcNonClient();
}

BOOL CControlBar::CreateBar(CWnd* pParentWnd, LPCSTR lpszSystemClass, LPCSTR lpszClass, DWORD dwWndStyle,
                            DWORD dwBarStyle, UINT nID)
{
    static const BOOL bControls = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
        return ::InitCommonControlsEx(&icc);
    }();
    if (!pParentWnd || !bControls || !AfxRegisterSuperclass(lpszSystemClass, lpszClass))
        return FALSE;
    m_dwStyle = dwBarStyle & CBRS_ALL;
    m_pDockSite =
        pParentWnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? static_cast<CFrameWnd*>(pParentWnd) : nullptr;
    if (m_pDockSite && !m_pDockSite->AddControlBar(this))
        return FALSE;
    if (CWnd::CreateEx(0, lpszClass, nullptr, dwWndStyle, 0, 0, 0, 0, pParentWnd->m_hWnd,
                       reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return TRUE;
    if (m_pDockSite)
        m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
    return FALSE;
}

int CControlBar::GetGripperExtent() const
{
    return (m_dwStyle & CBRS_GRIPPER) && !IsFloating() ? kGripperExtent : 0;
}

SIZE CControlBar::CalcFloatingLayout()
{
    SIZE size = CalcFixedLayout(FALSE, TRUE);
    if (m_dwStyle & CBRS_GRIPPER)
        size.cx -= kGripperExtent;
    return size;
}

void CControlBar::Dock(DWORD dwAlign, UINT nDockBarID)
{
    m_dwStyle = (m_dwStyle & ~(CBRS_ALIGN_ANY | CBRS_FLOATING)) | dwAlign;
    m_nLastDockBarID = nDockBarID;
    if (::GetParent(m_hWnd) != m_pDockSite->m_hWnd)
        ::SetParent(m_hWnd, m_pDockSite->m_hWnd);
    if (m_wndFloat.m_hWnd)
        m_wndFloat.ShowWindow(SW_HIDE);
    RecalcNonClient();
}

BOOL CControlBar::Float(POINT ptScreen)
{
    if (!m_wndFloat.m_hWnd && !m_wndFloat.Create(this))
        return FALSE;
    m_dwStyle = (m_dwStyle & ~CBRS_ALIGN_ANY) | CBRS_FLOATING;
    if (::GetParent(m_hWnd) != m_wndFloat.m_hWnd)
        ::SetParent(m_hWnd, m_wndFloat.m_hWnd);
    const SIZE szBar = CalcFloatingLayout();
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, szBar.cx, szBar.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    const SIZE szWindow = CMiniDockFrameWnd::CalcWindowSize(szBar);
    // A hidden bar, or a bar of a hidden frame, floats unseen until it is shown.
    const BOOL bShow = (GetStyle() & WS_VISIBLE) && m_pDockSite->IsWindowVisible();
    ::SetWindowPos(m_wndFloat.m_hWnd, nullptr, ptScreen.x, ptScreen.y, szWindow.cx, szWindow.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE | (bShow ? SWP_SHOWWINDOW : 0));
    return TRUE;
}

void CControlBar::RecalcNonClient()
{
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CControlBar::OnNcCalcSize(WPARAM, LPARAM lParam)
{
    // With either wParam the first rectangle becomes the client area.
    const LRESULT lResult = Default();
    const int nGripper = GetGripperExtent();
    RECT* pClient = reinterpret_cast<RECT*>(lParam);
    if (nGripper > 0 && pClient)
    {
        if (IsHorz())
            pClient->left += nGripper;
        else
            pClient->top += nGripper;
        if (pClient->right < pClient->left)
            pClient->right = pClient->left;
        if (pClient->bottom < pClient->top)
            pClient->bottom = pClient->top;
    }
    return lResult;
}

LRESULT CControlBar::OnNcPaint(WPARAM, LPARAM)
{
    const LRESULT lResult = Default();
    const int nGripper = GetGripperExtent();
    if (nGripper == 0)
        return lResult;
    HDC hDC = ::GetWindowDC(m_hWnd);
    if (!hDC)
        return lResult;
    RECT rcWindow;
    GetWindowRect(&rcWindow);
    const int cx = rcWindow.right - rcWindow.left;
    const int cy = rcWindow.bottom - rcWindow.top;
    RECT rcStrip = {0, 0, cx, cy};
    RECT rcRidge;
    if (IsHorz())
    {
        rcStrip.right = nGripper;
        rcRidge = {kGripperInset, kGripperInset, kGripperInset + kGripperRidge, cy - kGripperInset};
    }
    else
    {
        rcStrip.bottom = nGripper;
        rcRidge = {kGripperInset, kGripperInset, cx - kGripperInset, kGripperInset + kGripperRidge};
    }
    ::FillRect(hDC, &rcStrip, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(hDC, &rcRidge, BDR_RAISEDINNER, BF_RECT);
    ::ReleaseDC(m_hWnd, hDC);
    return lResult;
}

LRESULT CControlBar::OnNcHitTest(WPARAM, LPARAM lParam)
{
    // The gripper is part of the bar to the mouse: a press there is a client press.
    const int nGripper = GetGripperExtent();
    if (nGripper > 0)
    {
        RECT rcWindow;
        GetWindowRect(&rcWindow);
        const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT rcStrip = rcWindow;
        if (IsHorz())
            rcStrip.right = rcStrip.left + nGripper;
        else
            rcStrip.bottom = rcStrip.top + nGripper;
        if (::PtInRect(&rcStrip, pt))
            return HTCLIENT;
    }
    return Default();
}

void CControlBar::OnDestroy()
{
    if (m_pDockSite)
        m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
    CWnd::OnDestroy();
}

// ---- CStatusBar ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    DWORD dwWndStyle = dwStyle & ~CBRS_ALL;
    if (pParentWnd && (pParentWnd->GetStyle() & WS_THICKFRAME))
        dwWndStyle |= SBARS_SIZEGRIP;
    return CreateBar(pParentWnd, STATUSCLASSNAMEA, kStatusBarClass, dwWndStyle, dwStyle, nID);
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount)
{
    if (!m_hWnd || !lpIDArray || nIDCount <= 0 || nIDCount > kMaxPanes)
        return FALSE;
    // Indicator panes are as wide as their text in the bar's font.
    HDC hDC = ::GetDC(m_hWnd);
    HFONT hFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HGDIOBJ hOldFont = hFont ? ::SelectObject(hDC, hFont) : nullptr;
    for (int i = 0; i < nIDCount; ++i)
    {
        m_nIDs[i] = lpIDArray[i];
        m_nWidths[i] = 0;
        if (i == 0 || lpIDArray[i] == ID_SEPARATOR)
            continue;
        char szText[kMaxText];
        const int nLength = AfxLoadString(lpIDArray[i], szText, sizeof(szText));
        SIZE size = {0, 0};
        if (nLength > 0)
            ::GetTextExtentPoint32A(hDC, szText, nLength, &size);
        m_nWidths[i] = size.cx + 2 * kPaneMargin;
    }
    if (hOldFont)
        ::SelectObject(hDC, hOldFont);
    ::ReleaseDC(m_hWnd, hDC);
    m_nCount = nIDCount;
    UpdatePartEdges();
    for (int i = 0; i < m_nCount; ++i)
        SetPaneText(i, "");
    return TRUE;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCSTR lpszNewText)
{
    if (!m_hWnd || nIndex < 0 || nIndex >= m_nCount)
        return FALSE;
    const char* pszText = lpszNewText ? lpszNewText : "";
    // Unchanged text is not set again: no flicker at every idle update.
    char szOld[kMaxText];
    const LRESULT lLength = SendMessage(SB_GETTEXTLENGTHA, static_cast<WPARAM>(nIndex));
    if (LOWORD(lLength) < sizeof(szOld))
    {
        SendMessage(SB_GETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(szOld));
        if (lstrcmpA(szOld, pszText) == 0)
            return TRUE;
    }
    return SendMessage(SB_SETTEXTA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pszText)) != 0;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL)
{
    // Indicators are blank unless a handler enables them; nothing is disabled for
    // lack of a command handler (panes are no commands).
    CStatusCmdUI state;
    state.m_pOther = this;
    for (int i = 0; i < m_nCount; ++i)
    {
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = m_nIDs[i];
        state.DoUpdate(pTarget, FALSE);
    }
}

SIZE CStatusBar::CalcFixedLayout(BOOL, BOOL)
{
    // The control gives itself its height (from its font) when it is resized.
    SendMessage(WM_SIZE, SIZE_RESTORED, 0);
    RECT rc;
    GetWindowRect(&rc);
    return SIZE{32767, rc.bottom - rc.top};
}

void CStatusBar::OnSize(UINT nType, int cx, int cy)
{
    CControlBar::OnSize(nType, cx, cy);
    UpdatePartEdges();
}

void CStatusBar::UpdatePartEdges()
{
    if (m_nCount == 0)
        return;
    RECT rc;
    GetClientRect(&rc);
    int nRight = rc.right;
    if (GetStyle() & SBARS_SIZEGRIP)
        nRight -= ::GetSystemMetrics(SM_CXVSCROLL);
    int edges[kMaxPanes];
    for (int i = m_nCount - 1; i >= 0; --i)
    {
        edges[i] = nRight > 0 ? nRight : 0;
        nRight -= m_nWidths[i];
    }
    edges[m_nCount - 1] = -1; // the last pane reaches the right end
    SendMessage(SB_SETPARTS, static_cast<WPARAM>(m_nCount), reinterpret_cast<LPARAM>(edges));
}
