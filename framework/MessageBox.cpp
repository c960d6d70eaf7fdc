// AfxMessageBox: the framework's message box, captioned with the application title.
#include "AfxRes.h"
#include "ResourceString.h"
#include "WinApp.h"

namespace
{

void GetAppTitle(LPSTR lpszTitle, int cchTitle)
{
    if (AfxLoadString(AFX_IDS_APP_TITLE, lpszTitle, cchTitle) > 0)
        return;
    CWinApp* pApp = AfxGetApp();
    if (pApp && pApp->m_pszAppName && pApp->m_pszAppName[0])
    {
        lstrcpynA(lpszTitle, pApp->m_pszAppName, cchTitle);
        return;
    }
    // The module's file name without directory and extension.
    char szPath[MAX_PATH] = "";
    ::GetModuleFileNameA(AfxGetInstanceHandle(), szPath, sizeof(szPath));
    const char* pName = szPath;
    for (const char* p = szPath; *p; ++p)
    {
        if (*p == '\\' || *p == '/' || *p == ':')
            pName = p + 1;
    }
    lstrcpynA(lpszTitle, pName, cchTitle);
    char* pDot = nullptr;
    for (char* p = lpszTitle; *p; ++p)
    {
        if (*p == '.')
            pDot = p;
    }
    if (pDot && pDot != lpszTitle)
        *pDot = '\0';
}

UINT WithDefaultIcon(UINT nType)
{
    if ((nType & MB_ICONMASK) != 0)
        return nType;
    switch (nType & MB_TYPEMASK)
    {
    case MB_OK:
    case MB_OKCANCEL:
        return nType | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return nType | MB_ICONQUESTION;
    default:
        return nType;
    }
}

} // namespace

int AfxMessageBox(LPCSTR lpszText, UINT nType)
{
    char szTitle[256];
    GetAppTitle(szTitle, sizeof(szTitle));
    CWnd* pMainWnd = AfxGetMainWnd();
    HWND hOwner = pMainWnd ? pMainWnd->m_hWnd : nullptr;
    return ::MessageBoxA(hOwner, lpszText ? lpszText : "", szTitle, WithDefaultIcon(nType));
}

int AfxMessageBox(UINT nIDPrompt, UINT nType)
{
    char szText[1024];
    AfxLoadString(nIDPrompt, szText, sizeof(szText));
    return AfxMessageBox(szText, nType);
}
