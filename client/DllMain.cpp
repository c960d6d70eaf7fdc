// The library's entry: the framework runs the application object's InitInstance
// at load and its ExitInstance at unload.
#include "WinApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    return AfxDllMain(hInstance, dwReason);
}
