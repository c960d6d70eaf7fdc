#include "OleInit.h"

#include "OleObjectFactory.h"

#include <ole2.h>

namespace
{
// Set by a successful AfxOleInit on the application's thread, which also ends it.
BOOL g_bOleInitialized = FALSE;
} // namespace

BOOL AfxOleInit()
{
    if (g_bOleInitialized)
        return TRUE;
    if (FAILED(OleInitialize(nullptr)))
        return FALSE;
    g_bOleInitialized = TRUE;
    return TRUE;
}

void AfxOleTerm()
{
    COleObjectFactory::RevokeAll();
    if (!g_bOleInitialized)
        return;
    g_bOleInitialized = FALSE;
    OleUninitialize();
}
