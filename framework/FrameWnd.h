// CFrameWnd: a top-level window made from one resource id (menu, accelerators,
// title string), holding control bars at its edges and a view (the child with id
// AFX_IDW_PANE_FIRST) filling the rest. Bars that do not dock (the status bar)
// sit outermost at the edge their style names; dockable bars sit at a side the
// frame and the bar both allow (top and bottom across the whole width, left and
// right between them), or float in a tool window of their own.
//
// It gives commands their route: the view first, then the frame's own map, then
// the application object. It keeps the command user interface current: menu
// items when their pop-up opens (an item nobody handles is greyed), bars at idle
// time, the status bar's message pane ("Ready", or the prompt of the menu item
// under the cursor). The View menu's bar commands show and hide the bars.
//
// Frames live on the heap: PostNcDestroy deletes the object, so after the window
// is destroyed (or LoadFrame failed) the pointer is no longer valid. Closing the
// window (WM_CLOSE, OnClose) destroys it; the application's main frame thereby
// ends the message loop.
#pragma once

#include "AfxRes.h"
#include "Wnd.h"

class CCmdUI;
class CControlBar;

class CFrameWnd : public CWnd
{
    DECLARE_DYNAMIC(CFrameWnd)

public:
    CFrameWnd();
    ~CFrameWnd() override;

    HACCEL m_hAccelTable = nullptr; // from the resources, translated in PreTranslateMessage

    // Creates the window: menu and accelerators of resource nIDResource, title =
    // string nIDResource (up to its first '\n'). FWS_ADDTOTITLE would append the
    // document's name; frames here have no document, so the title is the string.
    // pContext is passed to WM_CREATE as the creation parameter.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, void* pContext = nullptr);

    // A derived frame may offer commands to its view itself before calling this;
    // a command the view lacks is then offered to it twice, which is harmless.
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra) override;
    // Without a class name: a class with the arrow cursor, window background and
    // the resource's icon. Adds WS_EX_CLIENTEDGE.
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Deletes the object.
    void PostNcDestroy() override;

    // Places the visible bars that are not floating at their edges and gives the
    // view the rest of the client area.
    virtual void RecalcLayout();
    // The view: the child with id AFX_IDW_PANE_FIRST, or null.
    CWnd* GetActiveView() const;
    // The bar of this frame with that id (AFX_IDW_TOOLBAR, AFX_IDW_STATUS_BAR),
    // docked or floating, or null.
    CControlBar* GetControlBar(UINT nID) const;
    // Shows or hides a bar wherever it is; a floating bar with its tool window.
    void ShowControlBar(CControlBar* pBar, BOOL bShow);
    // Sides of the frame that bars may dock to (CBRS_ALIGN_* bits).
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle & CBRS_ALIGN_ANY; }
    DWORD GetDockStyle() const { return m_dwDockStyle; }
    // Docks one of this frame's bars at side nDockBarID (AFX_IDW_DOCKBAR_*), or
    // with 0 at the first side of top, bottom, left, right that the frame and the
    // bar both allow; nothing happens when they do not allow it. At the left and
    // right the bar is a column. Bars of one side line up in creation order.
    void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0);
    // Floats one of this frame's bars in its tool window, the window's top-left
    // corner at ptScreen. FALSE when that window cannot be created.
    BOOL FloatControlBar(CControlBar* pBar, POINT ptScreen);

    // A bar joins its frame when it is created and leaves when its window goes.
    // FALSE when the frame holds kMaxBars already.
    BOOL AddControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    static constexpr int kMaxBars = 8;

    // Text of the status bar's message pane.
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);

    // The base close: destroys the window (and so deletes this object). Public so
    // that a command can close for real past a derived WM_CLOSE handler that only
    // hides the window: pFrame->CFrameWnd::OnClose().
    void OnClose();

protected:
    void OnSize(UINT nType, int cx, int cy);
    // A frame that is hidden or shown takes its floating bars with it.
    LRESULT OnShowWindow(WPARAM wParam, LPARAM lParam);
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnBarCheck(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    // Moves a bar to side dwAlign of rcFree and takes its room from rcFree.
    void PlaceBar(CControlBar* pBar, DWORD dwAlign, RECT& rcFree);

    UINT m_nIDResource = 0;
    char m_szTitle[256] = "";
    DWORD m_dwDockStyle = 0;
    CControlBar* m_pBars[kMaxBars] = {}; // in creation order
    int m_nBars = 0;
};
