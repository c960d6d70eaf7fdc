// CFileDialog: the common file dialog in its save form. The filter is written as
// "Description|*.ext|...||" and converted to the dialog's NUL-separated list.
#pragma once

#include "Wnd.h"

#include <commdlg.h>

// Converts a '|'-separated filter into the NUL-separated, double-NUL-terminated
// list of OPENFILENAME. FALSE (and an empty list) when it does not fit cbBuffer.
BOOL AfxConvertFileFilter(LPCSTR lpszFilter, LPSTR lpszBuffer, size_t cbBuffer);

class CFileDialog
{
public:
    // bOpenFileDialog must be FALSE: only the save form is built (DoModal refuses
    // the open form with IDCANCEL). lpszDefExt is appended to names typed without
    // an extension; lpszFileName is the initial name.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user chose a name, IDCANCEL otherwise (also on failure).
    INT_PTR DoModal();
    // The chosen full path, after IDOK.
    LPCSTR GetPathName() const { return m_szFileName; }

    OPENFILENAMEA m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    char m_szFileName[MAX_PATH] = "";
    char m_szDefExt[16] = "";
    char m_szFilter[1024] = "";
};
