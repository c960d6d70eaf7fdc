#include "RichEditCtrl.h"

IMPLEMENT_DYNAMIC(CRichEditCtrl, CWnd)

namespace
{

BOOL LoadRichEditLibrary()
{
    // The library stays loaded for the life of the process: its windows need it.
    static const BOOL bLoaded = ::LoadLibraryA("riched20.dll") != nullptr;
    return bLoaded;
}

} // namespace

BOOL CRichEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!LoadRichEditLibrary())
        return FALSE;
    return CWnd::CreateEx(0, RICHEDIT_CLASSA, "", dwStyle, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)));
}

long CRichEditCtrl::GetTextLengthEx(DWORD dwFlags, UINT nCodePage) const
{
    GETTEXTLENGTHEX info = {dwFlags, nCodePage};
    return static_cast<long>(SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&info)));
}

void CRichEditCtrl::SetSel(long nStartChar, long nEndChar)
{
    CHARRANGE range = {nStartChar, nEndChar};
    SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void CRichEditCtrl::GetSel(long& nStartChar, long& nEndChar) const
{
    CHARRANGE range = {0, 0};
    SendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    nStartChar = range.cpMin;
    nEndChar = range.cpMax;
}

long CRichEditCtrl::GetSelText(LPSTR lpszBuffer, long cchBuffer) const
{
    if (!lpszBuffer || cchBuffer <= 0)
        return 0;
    lpszBuffer[0] = '\0';
    long nStart = 0;
    long nEnd = 0;
    GetSel(nStart, nEnd);
    if (nEnd - nStart > cchBuffer - 1)
        nEnd = nStart + cchBuffer - 1;
    if (nEnd <= nStart)
        return 0;
    // EM_GETSELTEXT knows no buffer size; a text range does.
    TEXTRANGEA range = {{nStart, nEnd}, lpszBuffer};
    return static_cast<long>(SendMessage(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)));
}
