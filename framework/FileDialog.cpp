#include "FileDialog.h"

#include "WinApp.h"

#include <cstring>

BOOL AfxConvertFileFilter(LPCSTR lpszFilter, LPSTR lpszBuffer, size_t cbBuffer)
{
    if (!lpszBuffer || cbBuffer < 2)
        return FALSE;
    lpszBuffer[0] = lpszBuffer[1] = '\0';
    if (!lpszFilter)
        return TRUE;
    const size_t nLength = std::strlen(lpszFilter);
    // The text, a NUL after the last part and the list's closing NUL.
    if (nLength + 2 > cbBuffer)
        return FALSE;
    for (size_t i = 0; i < nLength; ++i)
        lpszBuffer[i] = lpszFilter[i] == '|' ? '\0' : lpszFilter[i];
    lpszBuffer[nLength] = '\0';
    lpszBuffer[nLength + 1] = '\0';
    return TRUE;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName, DWORD dwFlags,
                         LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_ofn(), m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd)
{
    if (lpszFileName)
        lstrcpynA(m_szFileName, lpszFileName, sizeof(m_szFileName));
    if (lpszDefExt)
        lstrcpynA(m_szDefExt, lpszDefExt, sizeof(m_szDefExt));
    // A filter too long for the buffer is dropped: the dialog then lists all files.
    const BOOL bFilter = lpszFilter && AfxConvertFileFilter(lpszFilter, m_szFilter, sizeof(m_szFilter));

    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.lpstrFile = m_szFileName;
    m_ofn.nMaxFile = sizeof(m_szFileName);
    m_ofn.lpstrDefExt = lpszDefExt ? m_szDefExt : nullptr;
    m_ofn.lpstrFilter = bFilter ? m_szFilter : nullptr;
    m_ofn.Flags = dwFlags | OFN_EXPLORER;
}

INT_PTR CFileDialog::DoModal()
{
    if (m_bOpenFileDialog)
        return IDCANCEL;
    CWnd* pOwner = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    m_ofn.hwndOwner = pOwner && pOwner->m_hWnd ? ::GetAncestor(pOwner->m_hWnd, GA_ROOT) : nullptr;
    return ::GetSaveFileNameA(&m_ofn) ? IDOK : IDCANCEL;
}
