#include "ResourceString.h"

#include "WinApp.h"

#include <cstring>

int AfxLoadString(UINT nID, LPSTR lpszBuffer, int cchBuffer)
{
    if (!lpszBuffer || cchBuffer <= 0)
        return 0;
    lpszBuffer[0] = '\0';
    const int nLength = ::LoadStringA(AfxGetResourceHandle(), nID, lpszBuffer, cchBuffer);
    if (nLength <= 0)
    {
        lpszBuffer[0] = '\0';
        return 0;
    }
    return nLength;
}

BOOL AfxExtractSubString(LPSTR lpszDest, int cchDest, LPCSTR lpszFull, int iSubString, char chSep)
{
    if (!lpszDest || cchDest <= 0)
        return FALSE;
    lpszDest[0] = '\0';
    if (!lpszFull || iSubString < 0)
        return FALSE;
    const char* pStart = lpszFull;
    for (int i = 0; i < iSubString; ++i)
    {
        pStart = std::strchr(pStart, chSep);
        if (!pStart)
            return FALSE;
        ++pStart;
    }
    const char* pEnd = std::strchr(pStart, chSep);
    size_t nLength = pEnd ? static_cast<size_t>(pEnd - pStart) : std::strlen(pStart);
    if (nLength > static_cast<size_t>(cchDest - 1))
        nLength = static_cast<size_t>(cchDest - 1);
    std::memcpy(lpszDest, pStart, nLength);
    lpszDest[nLength] = '\0';
    return TRUE;
}
