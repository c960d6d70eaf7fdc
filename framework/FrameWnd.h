// CFrameWnd: a top-level window made from one resource id (menu, accelerators,
// title string), holding a tool bar at the top, a status bar at the bottom and a
// view (the child with id AFX_IDW_PANE_FIRST) filling the rest.
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

    // Places the bars at their edges and the view in between.
    virtual void RecalcLayout();
    // The view: the child with id AFX_IDW_PANE_FIRST, or null.
    CWnd* GetActiveView() const;
    // The bar child with that id (AFX_IDW_TOOLBAR, AFX_IDW_STATUS_BAR), or null.
    CControlBar* GetControlBar(UINT nID) const;
    void ShowControlBar(CControlBar* pBar, BOOL bShow);
    // Docking is top-only: the sides are kept, and a docked bar sits at the top.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockControlBar(CControlBar* pBar);

    // Text of the status bar's message pane.
    void SetMessageText(LPCSTR lpszText);
    void SetMessageText(UINT nID);

    // The base close: destroys the window (and so deletes this object). Public so
    // that a command can close for real past a derived WM_CLOSE handler that only
    // hides the window: pFrame->CFrameWnd::OnClose().
    void OnClose();

protected:
    void OnSize(UINT nType, int cx, int cy);
    void OnInitMenuPopup(HMENU hPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnBarCheck(UINT nID);

    DECLARE_MESSAGE_MAP()

private:
    UINT m_nIDResource = 0;
    char m_szTitle[256] = "";
    DWORD m_dwDockStyle = 0;
};
