#include "ControlBar.h"

#include "CmdUI.h"
#include "FrameWnd.h"
#include "ResourceString.h"
#include "WinApp.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace
{

constexpr char kToolBarClass[] = "AfxToolBar";
constexpr char kStatusBarClass[] = "AfxStatusBar";
constexpr int kMaxButtons = 64;
constexpr int kButtonMargin = 7; // button size = image size + this, both ways
constexpr int kPaneMargin = 8;   // space around an indicator's text
constexpr int kMaxText = 256;

BOOL RegisterBarClasses()
{
    static const BOOL bRegistered = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&icc);
        return AfxRegisterSuperclass(TOOLBARCLASSNAMEA, kToolBarClass) &&
               AfxRegisterSuperclass(STATUSCLASSNAMEA, kStatusBarClass);
    }();
    return bRegistered;
}

// A tool-bar button being updated: enabled and pressed state, by command id.
class CToolCmdUI : public CCmdUI
{
public:
    void Enable(BOOL bOn) override
    {
        m_bEnableChanged = TRUE;
        const BOOL bEnabled = m_pOther->SendMessage(TB_ISBUTTONENABLED, m_nID) != 0;
        if (!bEnabled != !bOn)
            m_pOther->SendMessage(TB_ENABLEBUTTON, m_nID, MAKELONG(bOn ? TRUE : FALSE, 0));
    }
    void SetCheck(int nCheck) override
    {
        m_pOther->SendMessage(TB_CHECKBUTTON, m_nID, MAKELONG(nCheck ? TRUE : FALSE, 0));
    }
    void SetText(LPCSTR) override {} // buttons show images only
};

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

// ---- CToolBar ------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_MESSAGE(WM_NOTIFY, OnNotify)
END_MESSAGE_MAP()

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    if (!pParentWnd || !RegisterBarClasses())
        return FALSE;
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | dwCtrlStyle | CCS_NODIVIDER;
    if (dwStyle & CBRS_TOOLTIPS)
        dwWndStyle |= TBSTYLE_TOOLTIPS;
    if (!CWnd::CreateEx(0, kToolBarClass, nullptr, dwWndStyle, 0, 0, 0, 0, pParentWnd->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID))))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource)
{
    if (!m_hWnd)
        return FALSE;
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRsrc = ::FindResourceA(hInst, MAKEINTRESOURCEA(nIDResource), RT_TOOLBAR);
    HGLOBAL hData = hRsrc ? ::LoadResource(hInst, hRsrc) : nullptr;
    const WORD* pData = hData ? static_cast<const WORD*>(::LockResource(hData)) : nullptr;
    const DWORD cbData = hRsrc ? ::SizeofResource(hInst, hRsrc) : 0;
    // version, width, height, count, then count ids.
    if (!pData || cbData < 4 * sizeof(WORD) || pData[0] != 1)
        return FALSE;
    const int cx = pData[1];
    const int cy = pData[2];
    const int nCount = pData[3];
    if (cx == 0 || cy == 0 || nCount > kMaxButtons || cbData < (4u + nCount) * sizeof(WORD))
        return FALSE;

    TBBUTTON buttons[kMaxButtons] = {};
    int nImages = 0;
    for (int i = 0; i < nCount; ++i)
    {
        const WORD nID = pData[4 + i];
        if (nID == ID_SEPARATOR)
        {
            buttons[i].fsStyle = TBSTYLE_SEP;
            continue;
        }
        buttons[i].iBitmap = nImages++;
        buttons[i].idCommand = nID;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = TBSTYLE_BUTTON;
    }

    SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(cx, cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELONG(cx + kButtonMargin, cy + kButtonMargin));
    if (nImages > 0)
    {
        TBADDBITMAP bitmap = {hInst, nIDResource};
        if (SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(nImages), reinterpret_cast<LPARAM>(&bitmap)) == -1)
            return FALSE;
    }
    if (nCount > 0 &&
        !SendMessage(TB_ADDBUTTONSA, static_cast<WPARAM>(nCount), reinterpret_cast<LPARAM>(buttons)))
        return FALSE;
    RepositionInParent();
    return TRUE;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler)
{
    CToolCmdUI state;
    state.m_pOther = this;
    const int nCount = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
    for (int i = 0; i < nCount; ++i)
    {
        TBBUTTON button = {};
        if (!SendMessage(TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) ||
            (button.fsStyle & TBSTYLE_SEP))
            continue;
        state.m_nIndex = static_cast<UINT>(i);
        state.m_nID = static_cast<UINT>(button.idCommand);
        state.DoUpdate(pTarget, bDisableIfNoHandler);
    }
}

void CToolBar::RepositionInParent()
{
    // The control's own top alignment: top of the parent, full width.
    SendMessage(TB_AUTOSIZE);
}

LRESULT CToolBar::OnNotify(WPARAM, LPARAM lParam)
{
    // Our tool tip asks for a button's text: the tip part of the command's string.
    const NMHDR* pHeader = reinterpret_cast<const NMHDR*>(lParam);
    if (pHeader && (pHeader->code == TTN_GETDISPINFOA || pHeader->code == TTN_GETDISPINFOW))
    {
        char szFull[kMaxText];
        char szTip[80]; // the size of the notification's own buffer
        AfxLoadString(static_cast<UINT>(pHeader->idFrom), szFull, sizeof(szFull));
        AfxExtractSubString(szTip, sizeof(szTip), szFull, 1);
        if (pHeader->code == TTN_GETDISPINFOA)
        {
            NMTTDISPINFOA* pInfo = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            lstrcpynA(pInfo->szText, szTip, sizeof(pInfo->szText));
            pInfo->lpszText = pInfo->szText;
            pInfo->hinst = nullptr;
        }
        else
        {
            NMTTDISPINFOW* pInfo = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            const int cchText = static_cast<int>(sizeof(pInfo->szText) / sizeof(pInfo->szText[0]));
            if (::MultiByteToWideChar(CP_ACP, 0, szTip, -1, pInfo->szText, cchText) == 0)
                pInfo->szText[0] = L'\0';
            pInfo->szText[cchText - 1] = L'\0';
            pInfo->lpszText = pInfo->szText;
            pInfo->hinst = nullptr;
        }
        return 0;
    }
    return Default();
}

// ---- CStatusBar ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID)
{
    if (!pParentWnd || !RegisterBarClasses())
        return FALSE;
    m_dwStyle = dwStyle & CBRS_ALL;
    DWORD dwWndStyle = dwStyle & ~CBRS_ALL;
    if (pParentWnd->GetStyle() & WS_THICKFRAME)
        dwWndStyle |= SBARS_SIZEGRIP;
    return CWnd::CreateEx(0, kStatusBarClass, nullptr, dwWndStyle, 0, 0, 0, 0, pParentWnd->m_hWnd,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
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

void CStatusBar::RepositionInParent()
{
    // The control moves itself to the bottom of its parent when it is resized.
    SendMessage(WM_SIZE, SIZE_RESTORED, 0);
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
