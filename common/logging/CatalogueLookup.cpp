#include "CatalogueLookup.h"

#include <windows.h>

namespace Catalogue
{

namespace
{

bool IsEmpty(const char* psz)
{
    return !psz || psz[0] == '\0';
}

} // namespace

std::size_t LookupCatalogueText(const char* pszFile, const char* pszSection, const char* pszKey,
                                char (&szText)[kTextBufferBytes])
{
    szText[0] = '\0';
    // An empty section or key would make the reader list names instead of a text,
    // and an empty file name would send it to the Windows directory.
    if (IsEmpty(pszFile) || IsEmpty(pszSection) || IsEmpty(pszKey))
        return 0;
    const DWORD nLength = GetPrivateProfileStringA(pszSection, pszKey, "", szText, sizeof szText, pszFile);
    szText[sizeof szText - 1] = '\0';
    return nLength < sizeof szText ? nLength : sizeof szText - 1;
}

} // namespace Catalogue
