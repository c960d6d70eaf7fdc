#include "CmdUI.h"

void CCmdUI::Enable(BOOL bOn)
{
    if (m_hMenu)
        ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck)
{
    if (m_hMenu)
        ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}

void CCmdUI::SetText(LPCSTR lpszText)
{
    if (!m_hMenu || !lpszText)
        return;
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<LPSTR>(lpszText);
    ::SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &info);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHandler)
{
    // Separators and pop-up entries have no command.
    if (m_nID == 0 || LOWORD(m_nID) == 0xFFFF)
        return TRUE;
    m_bEnableChanged = FALSE;
    const BOOL bHandled = pTarget->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this);
    if (bDisableIfNoHandler && !m_bEnableChanged)
    {
        AFX_CMDHANDLERINFO info = {nullptr};
        Enable(pTarget->OnCmdMsg(m_nID, CN_COMMAND, &info));
    }
    return bHandled;
}
