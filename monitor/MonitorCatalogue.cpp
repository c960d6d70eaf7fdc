#include "MonitorCatalogue.h"

#include "CatalogueFormat.h"
#include "CatalogueLookup.h"
#include "MonitorGlobals.h"

std::size_t LookupMessage(const char* pszKey, char (&szText)[kCatalogueTextBytes])
{
    return Catalogue::LookupCatalogueText(g_strMessageFile.c_str(), g_strMessageSection.c_str(), pszKey,
                                          szText);
}

bool LookupMessageWithClientId(const char* pszKey, std::int32_t lClientId,
                               char (&szLine)[kCatalogueTextBytes])
{
    char szFormat[kCatalogueTextBytes];
    if (LookupMessage(pszKey, szFormat) == 0)
    {
        szLine[0] = '\0';
        return false;
    }
    Catalogue::FormatWithInteger(szFormat, lClientId, szLine);
    return true;
}
