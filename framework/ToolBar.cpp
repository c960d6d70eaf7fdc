#include "ControlBar.h"

#include "CmdUI.h"
#include "DockContext.h"
#include "FrameWnd.h"
#include "ResourceString.h"
#include "WinApp.h"

#include <windowsx.h>

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

namespace
{

constexpr char kToolBarClass[] = "AfxToolBar";
constexpr int kMaxButtons = 64;
constexpr int kButtonMargin = 7; // button size = image size + this, both ways
constexpr int kMaxText = 256;

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

} // namespace

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
ON_MESSAGE(WM_NOTIFY, OnNotify)
ON_MESSAGE(WM_LBUTTONDOWN, OnLButtonDown)
ON_MESSAGE(WM_MOUSEMOVE, OnMouseMove)
ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID)
{
    // The frame sizes and places the bar: the control neither resizes nor aligns itself.
    DWORD dwWndStyle = (dwStyle & ~CBRS_ALL) | dwCtrlStyle | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
    if (dwStyle & CBRS_TOOLTIPS)
        dwWndStyle |= TBSTYLE_TOOLTIPS;
    if (!CreateBar(pParentWnd, TOOLBARCLASSNAMEA, kToolBarClass, dwWndStyle, dwStyle, nID))
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

SIZE CToolBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz)
{
    SetColumnLayout(!bHorz);
    // The control has placed its buttons: the bar is as large as they reach.
    SIZE size = {0, 0};
    const int nCount = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
    for (int i = 0; i < nCount; ++i)
    {
        RECT rc;
        if (!SendMessage(TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc)))
            continue;
        if (rc.right > size.cx)
            size.cx = rc.right;
        if (rc.bottom > size.cy)
            size.cy = rc.bottom;
    }
    if (bHorz)
        size.cx += GetGripperExtent();
    else
        size.cy += GetGripperExtent();
    if (bStretch)
        (bHorz ? size.cx : size.cy) = 32767;
    return size;
}

void CToolBar::SetColumnLayout(BOOL bColumn)
{
    // A vertical control draws its separators across the column.
    ModifyStyle(bColumn ? 0 : CCS_VERT, bColumn ? CCS_VERT : 0);
    const int nCount = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
    for (int i = 0; i < nCount; ++i)
    {
        // By index: separators share the command id 0.
        TBBUTTONINFOA info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_BYINDEX | TBIF_STATE;
        if (SendMessage(TB_GETBUTTONINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info)) == -1)
            continue;
        const BYTE fsState =
            static_cast<BYTE>(bColumn ? (info.fsState | TBSTATE_WRAP) : (info.fsState & ~TBSTATE_WRAP));
        if (fsState == info.fsState)
            continue;
        info.fsState = fsState;
        SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
    }
}

int CToolBar::ButtonAt(POINT ptClient) const
{
    RECT rcClient;
    GetClientRect(&rcClient);
    if (!::PtInRect(&rcClient, ptClient))
        return -1; // the gripper
    // Negative: a separator or no button.
    const int nIndex = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&ptClient)));
    return nIndex >= 0 ? nIndex : -1;
}

LRESULT CToolBar::OnLButtonDown(WPARAM, LPARAM lParam)
{
    POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!CanDrag() || ButtonAt(pt) >= 0)
        return Default();
    ::MapWindowPoints(m_hWnd, nullptr, &pt, 1);
    CDockContext drag(this);
    drag.Track(pt);
    return 0;
}

LRESULT CToolBar::OnMouseMove(WPARAM, LPARAM lParam)
{
    if ((m_dwStyle & CBRS_FLYBY) && GetDockingFrame())
    {
        const int nIndex = ButtonAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        TBBUTTON button = {};
        if (nIndex >= 0)
            SendMessage(TB_GETBUTTON, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&button));
        const UINT nID = static_cast<UINT>(button.idCommand);
        if (nID != m_nFlyByID)
        {
            if (m_nFlyByID == 0)
            {
                // Tell us when the pointer leaves the bar.
                TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
                ::TrackMouseEvent(&track);
            }
            ShowFlyBy(nID);
        }
    }
    return Default();
}

LRESULT CToolBar::OnMouseLeave(WPARAM, LPARAM)
{
    if (m_nFlyByID != 0)
        ShowFlyBy(0);
    return Default();
}

void CToolBar::ShowFlyBy(UINT nID)
{
    m_nFlyByID = nID;
    CFrameWnd* pFrame = GetDockingFrame();
    if (!pFrame)
        return;
    if (nID == 0)
    {
        pFrame->SetMessageText(AFX_IDS_IDLEMESSAGE);
        return;
    }
    char szFull[kMaxText];
    char szPrompt[kMaxText];
    AfxLoadString(nID, szFull, sizeof(szFull));
    AfxExtractSubString(szPrompt, sizeof(szPrompt), szFull, 0);
    pFrame->SetMessageText(szPrompt);
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
