// CCmdUI: one user-interface element of a command (a menu item, a tool-bar button,
// a status-bar pane) while its state is being brought up to date. The element is
// offered to the command route as CN_UPDATE_COMMAND_UI; an ON_UPDATE_COMMAND_UI
// handler along the route calls Enable / SetCheck / SetText. This base class
// updates menu items (m_hMenu, position m_nIndex); bars derive their own kind.
#pragma once

#include "CmdTarget.h"

class CWnd;

class CCmdUI
{
public:
    UINT m_nID = 0;                // command id of the element
    UINT m_nIndex = 0;             // position in the menu, or index in the bar
    HMENU m_hMenu = nullptr;       // menu being updated, or null
    CWnd* m_pOther = nullptr;      // bar being updated, or null
    BOOL m_bEnableChanged = FALSE; // a handler called Enable

    CCmdUI() = default;
    virtual ~CCmdUI() = default;
    CCmdUI(const CCmdUI&) = delete;
    CCmdUI& operator=(const CCmdUI&) = delete;

    virtual void Enable(BOOL bOn = TRUE);
    // 0 unchecked, 1 checked.
    virtual void SetCheck(int nCheck = 1);
    virtual void SetText(LPCSTR lpszText);

    // Offers this element to pTarget's route. When no update handler called Enable
    // and bDisableIfNoHandler is set, the element is enabled exactly when some
    // target along the route has a command handler for it. TRUE when an update
    // handler ran.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler);
};
