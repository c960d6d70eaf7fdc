#include "ClientCatalogue.h"

#include "CatalogueLookup.h"
#include "ClientState.h"

std::size_t LookupMessage(const char* pszKey, char (&szText)[Catalogue::kTextBufferBytes])
{
    const CClientState& state = ClientState();
    if (!state.m_bDebugMode)
        return 0;
    return Catalogue::LookupCatalogueText(state.m_strCatalogueFile.c_str(),
                                          state.m_strCatalogueSection.c_str(), pszKey, szText);
}
