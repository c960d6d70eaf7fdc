// Start and end of OLE for the application's user-interface thread.
#pragma once

#include <windows.h>

// OleInitialize for the calling thread; FALSE when it fails. An earlier
// CoInitialize on the thread is fine.
BOOL AfxOleInit();
// Revokes every class object (COleObjectFactory::RevokeAll) and balances a
// successful AfxOleInit; does nothing otherwise.
void AfxOleTerm();
