// Control bars of a frame: tool bars that dock at any side the frame allows or
// float in a small tool window, and the status bar at the bottom. Both are real
// common controls superclassed so that these objects see their messages. A bar
// keeps its CBRS_* style itself (those bits mean other things in a common
// control's window style). A bar created with a frame as parent belongs to that
// frame: the frame places its docked bars (RecalcLayout), docks, floats, shows
// and hides them, and brings their elements up to date at idle time through its
// command route.
#pragma once

#include "AfxRes.h"
#include "MiniDockFrameWnd.h"
#include "Wnd.h"

#include <commctrl.h>

class CFrameWnd;

// CControlBar: what the frame needs from any bar: its side, its size there, and
// its elements' update. A docked bar with CBRS_GRIPPER shows a gripper at its
// start (left when horizontal, top when vertical), from which the user drags it.
class CControlBar : public CWnd
{
    DECLARE_DYNAMIC(CControlBar)

public:
    // The bar's window goes before its floating window, which may hold it.
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    // CBRS_* bits. CBRS_TOOLTIPS only takes effect when given at creation. The
    // side and CBRS_FLOATING stay as they are: the frame changes them when it
    // docks or floats the bar. CBRS_BORDER_* bits are kept but draw nothing, and
    // CBRS_SIZE_DYNAMIC is kept while a floating bar keeps its one-row shape.
    void SetBarStyle(DWORD dwStyle);
    // Sides the bar may dock to (CBRS_ALIGN_* bits). A bar with none stays where
    // its style puts it and cannot be dragged.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    BOOL IsFloating() const { return (m_dwStyle & CBRS_FLOATING) != 0; }
    // Docked at the top or bottom, or floating.
    BOOL IsHorz() const { return IsFloating() || (m_dwStyle & CBRS_ORIENT_VERT) == 0; }
    // The frame that was the parent at creation, or null when that was no frame.
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }
    // The side (AFX_IDW_DOCKBAR_*) the bar was docked at last; 0 before it ever was.
    UINT GetLastDockBarID() const { return m_nLastDockBarID; }
    // The window a floating bar sits in; null before the bar first floats.
    CMiniDockFrameWnd* GetFloatingFrame() { return m_wndFloat.m_hWnd ? &m_wndFloat : nullptr; }

    // Offers each element to pTarget's command route (idle-time update).
    virtual void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHandler) = 0;
    // The bar's outer size when docked horizontally or vertically (gripper
    // included); bStretch: as long as its side (32767 along it). May lay the
    // bar's elements out for that orientation.
    virtual SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) = 0;
    // The bar's size inside its floating window (one row, no gripper).
    SIZE CalcFloatingLayout();

protected:
    // Creates the bar's window, of lpszClass made from the common control's class
    // lpszSystemClass, as a child of pParentWnd; a frame parent becomes the bar's
    // frame. dwBarStyle: the CBRS_* bits the bar keeps.
    BOOL CreateBar(CWnd* pParentWnd, LPCSTR lpszSystemClass, LPCSTR lpszClass, DWORD dwWndStyle,
                   DWORD dwBarStyle, UINT nID);
    // Width (horizontal) or height (vertical) of the gripper strip while the bar
    // shows one, else 0.
    int GetGripperExtent() const;
    // TRUE when the user may drag this bar.
    BOOL CanDrag() const { return m_pDockSite != nullptr && m_dwDockStyle != 0; }

    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    DECLARE_MESSAGE_MAP()

    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;

private:
    friend class CFrameWnd;
    // For the frame: to its client area at side dwAlign (a CBRS_ALIGN_* bit).
    void Dock(DWORD dwAlign, UINT nDockBarID);
    // For the frame: into the floating window, its top-left corner at ptScreen.
    BOOL Float(POINT ptScreen);
    // Asks the window manager to compute the non-client area (gripper) again.
    void RecalcNonClient();

    CFrameWnd* m_pDockSite = nullptr;
    UINT m_nLastDockBarID = 0;
    CMiniDockFrameWnd m_wndFloat;
};

// CToolBar: command buttons from a tool-bar resource (RT_TOOLBAR layout plus a
// bitmap of the same id holding the images side by side): one row when docked at
// the top or bottom or floating, one column at the left or right. Pressing the
// bar outside its buttons (on its gripper) drags it, when it may dock. With
// CBRS_TOOLTIPS, tool tips show the part after '\n' of the command's string
// resource; with CBRS_FLYBY, the frame's status bar shows the part before it
// while the pointer rests on a button, and the idle text again when it leaves.
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
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

protected:
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    // Every button ends its line (a column), or none does (a row).
    void SetColumnLayout(BOOL bColumn);
    // Index of the button (not separator) under ptClient, or -1.
    int ButtonAt(POINT ptClient) const;
    // Shows the prompt of command nID (0: the idle text) in the frame's status bar.
    void ShowFlyBy(UINT nID);

    UINT m_nFlyByID = 0; // command whose prompt shows, 0 for none
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
    // The height the control gives itself, across any width.
    SIZE CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;

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
