// A stand-in for the monitor's COM side: registers the automation class as the
// monitor does on every start (registry, class object, running object), then
// serves COM from a message loop until the test tells it to quit. Started by a
// test directly, or by COM with "-Embedding" for a class-object request.
#include "AppMonTestServer.h"
#include "CAppMon.h"
#include "OleInit.h"

#include <windows.h>

#include <cstring>

namespace
{

struct HandleCloser
{
    HANDLE h;
    ~HandleCloser() { CloseHandle(h); }
};

HANDLE OpenEvent(const char* pszName)
{
    return CreateEventA(nullptr, TRUE, FALSE, pszName);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    if (FAILED(CoInitialize(nullptr)) || !AfxOleInit())
        return 2;
    if (!COleObjectFactory::UpdateRegistryAll(TRUE))
        return 3;
    if (_stricmp(lpCmdLine, AppMonTestServer::kRegisterSwitch) == 0)
    {
        AfxOleTerm();
        CoUninitialize();
        return 0;
    }

    const HandleCloser ready{OpenEvent(AppMonTestServer::kReadyEvent)};
    const HandleCloser quit{OpenEvent(AppMonTestServer::kQuitEvent)};
    const HandleCloser deleteRequest{OpenEvent(AppMonTestServer::kDeleteEvent)};
    const HandleCloser deleted{OpenEvent(AppMonTestServer::kDeletedEvent)};
    if (!ready.h || !quit.h || !deleteRequest.h || !deleted.h)
        return 4;

    if (!COleObjectFactory::RegisterAll())
        return 5;
    CAppMon* pAppMon = new CAppMon;
    if (!pAppMon->RegisterAsActiveObject())
        return 6;
    SetEvent(ready.h);

    const DWORD dwStart = GetTickCount();
    for (;;)
    {
        const DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= AppMonTestServer::kLifetimeLimitMs)
            break;
        // Once the object is gone, only the quit event is waited for; a message
        // then returns WAIT_OBJECT_0 + 1.
        const HANDLE handles[] = {quit.h, deleteRequest.h};
        const DWORD nHandles = pAppMon ? 2 : 1;
        const DWORD dwWait = MsgWaitForMultipleObjects(
            nHandles, handles, FALSE, AppMonTestServer::kLifetimeLimitMs - dwElapsed, QS_ALLINPUT);
        if (dwWait == WAIT_OBJECT_0)
            break;
        if (nHandles == 2 && dwWait == WAIT_OBJECT_0 + 1)
        {
            // As the monitor's exit does: the object goes while the process runs on.
            delete pAppMon;
            pAppMon = nullptr;
            SetEvent(deleted.h);
            continue;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    delete pAppMon;
    AfxOleTerm();
    CoUninitialize();
    return 0;
}
