// The library's entry: the framework runs the application object's InitInstance
// at load and its ExitInstance at unload.
#include "ClientState.h"
#include "WinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID lpReserved)
{
    // A detach with lpReserved set is the process ending, not FreeLibrary: every
    // other thread has been ended by then, holding whatever it held.
    if (dwReason == DLL_PROCESS_DETACH && lpReserved)
        ClientState().m_bProcessExiting = true;
    return AfxDllMain(hInstance, dwReason);
}
