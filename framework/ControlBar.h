// Control bars of a frame: the tool bar at the top and the status bar at the
// bottom, both real common controls superclassed so that these objects see their
// messages. A bar keeps its CBRS_* style itself (those bits mean other things in
// a common control's window style). The frame places the bars (RecalcLayout) and
// brings their elements up to date at idle time through its command route.
#pragma once

#include "AfxRes.h"
#include "Wnd.h"

#include <commctrl.h>

class CFrameWnd;

// CControlBar: what the frame needs from any bar: its side, its elements' update,
// and placing itself at its edge of the frame.
class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    DWORD GetBarStyle() const { return m_dwStyle; }
    // CBRS_* bits. CBRS_TOOLTIPS only takes effect when given at creation.
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle & CBRS_ALL; }
    // Sides the bar may dock to. Docking is top-only in this framework: the value
    // is kept, and tool bars always sit at the top of their frame.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }

    // Offers each element to pTarget's command route (idle-time update).
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) = 0;
    // Moves the bar to its edge of the parent's client area, full width, at the
    // height the control wants.
    virtual void RepositionInParent() = 0;

protected:
    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
};

// CToolBar: a row of command buttons from a tool-bar resource (RT_TOOLBAR layout
// plus a bitmap of the same id holding the images side by side). Tool tips show
// the part after '\n' of the command's string resource.
class CToolBar : public CControlBar
{
    DECLARE_DYNAMIC(CToolBar)

public:
    // dwCtrlStyle: TBSTYLE_* bits; dwStyle: WS_* plus CBRS_* bits.
    BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                  DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, UINT nID = AFX_IDW_TOOLBAR);
    // Adds the buttons of tool-bar resource nIDResource and its images (bitmap
    // nIDResource, 16 colours). Call once.
    BOOL LoadToolBar(UINT nIDResource);

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;
    void RepositionInParent() override;

protected:
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

// CStatusBar: a message pane (ID_SEPARATOR, stretching) followed by indicator
// panes whose text is their id's string resource ("CAP", "NUM", "SCRL"), shown
// while the command route enables them (the frame does so while the key is on).
class CStatusBar : public CControlBar
{
    DECLARE_DYNAMIC(CStatusBar)

public:
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
                UINT nID = AFX_IDW_STATUS_BAR);
    // One pane per id. FALSE when there are more than kMaxPanes.
    BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
    BOOL SetPaneText(int nIndex, LPCSTR lpszNewText);

    void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) override;
    void RepositionInParent() override;

    static constexpr int kMaxPanes = 8;

protected:
    void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    void UpdatePartEdges();

    UINT m_nIDs[kMaxPanes] = {};
    int m_nWidths[kMaxPanes] = {}; // indicator widths in pixels; pane 0 stretches
    int m_nCount = 0;
};
