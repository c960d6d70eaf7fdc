// Stands in for a monitor that COM starts: registers a class object for the
// monitor's class id (no running object, no pipe), reports that through a named
// event and serves COM until it is told to quit. The tests create the pipe
// themselves, as late as a case needs. With the duplicate switch it stands in for
// a monitor that finds another one running and so offers nothing.
#include "AppMonIds.h"
#include "ClientTestMonitor.h"

#include <windows.h>

#include <cstring>

namespace
{

// A class object that makes nothing: the client library only asks for it.
class CNullClassFactory final : public IClassFactory
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
        {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** ppv) override
    {
        if (ppv)
            *ppv = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR lpCmdLine, int)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 2;
    const HANDLE hStarted = CreateEventA(nullptr, TRUE, FALSE, ClientTestMonitor::kStartedEvent);
    const HANDLE hQuit = CreateEventA(nullptr, TRUE, FALSE, ClientTestMonitor::kQuitEvent);
    if (!hStarted || !hQuit)
        return 3;

    if (lpCmdLine && std::strstr(lpCmdLine, ClientTestMonitor::kDuplicateSwitch))
    {
        SetEvent(hStarted);
        WaitForSingleObject(hQuit, ClientTestMonitor::kLifetimeLimitMs);
        CloseHandle(hStarted);
        CloseHandle(hQuit);
        CoUninitialize();
        return 0;
    }

    static CNullClassFactory s_factory;
    DWORD dwCookie = 0;
    if (FAILED(CoRegisterClassObject(CLSID_AppMon, &s_factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &dwCookie)))
        return 4;
    SetEvent(hStarted);
    WaitForSingleObject(hQuit, ClientTestMonitor::kLifetimeLimitMs);

    CoRevokeClassObject(dwCookie);
    CloseHandle(hStarted);
    CloseHandle(hQuit);
    CoUninitialize();
    return 0;
}
