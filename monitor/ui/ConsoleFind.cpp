#include "ConsoleFind.h"

#include <richedit.h>

const UINT g_uFindMessage = ::RegisterWindowMessageA(FINDMSGSTRINGA);

CConsoleFind::CConsoleFind() : m_fr()
{
    m_fr.lStructSize = sizeof(m_fr);
    m_fr.Flags = FR_DOWN;
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = kMaxText;
}

void CConsoleFind::Open(HWND hOwner)
{
    if (m_hDialog)
    {
        ::SetActiveWindow(m_hDialog);
        return;
    }
    // The structure and the text stay with this object while the dialog lives.
    m_fr.hwndOwner = hOwner;
    m_fr.Flags &= FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD;
    m_hDialog = ::FindTextA(&m_fr);
}

BOOL CConsoleFind::PreTranslateMessage(MSG* pMsg)
{
    return m_hDialog && ::IsDialogMessageA(m_hDialog, pMsg);
}

BOOL CConsoleFind::OnMessage(LPARAM lParam)
{
    const FINDREPLACEA* pfr = reinterpret_cast<const FINDREPLACEA*>(lParam);
    if (pfr != &m_fr)
        return FALSE;
    if (m_fr.Flags & FR_DIALOGTERM)
    {
        m_hDialog = nullptr;
        return FALSE;
    }
    return (m_fr.Flags & FR_FINDNEXT) && m_szFindWhat[0] != '\0';
}

DWORD CConsoleFind::Flags(BOOL bReverse) const
{
    DWORD dwFlags = m_fr.Flags & (FR_MATCHCASE | FR_WHOLEWORD);
    if (((m_fr.Flags & FR_DOWN) != 0) != (bReverse != FALSE))
        dwFlags |= FR_DOWN;
    return dwFlags;
}
