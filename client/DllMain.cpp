// The library's entry: the framework runs the application object's InitInstance
// at load and its ExitInstance at unload.
#include "WinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        return AfxDllProcessAttach(hInstance);
    case DLL_PROCESS_DETACH:
        AfxDllProcessDetach();
        break;
    default:
        break;
    }
    return TRUE;
}
