#include "MonitorProbe.h"

#include "AppMonIds.h"
#include "TimeLimits.h"

#include <objbase.h>
#include <oleauto.h>

#include <atomic>
#include <new>

using PipeClient::MonitorProbe;

namespace
{

// A monitor's object in the running-object table: a monitor runs.
bool IsMonitorRunning()
{
    IUnknown* pUnknown = nullptr;
    if (FAILED(GetActiveObject(CLSID_AppMon, nullptr, &pUnknown)) || !pUnknown)
        return false;
    pUnknown->Release();
    return true;
}

// The monitor's class object from a local server: COM starts a registered monitor
// that is not running and answers once it has offered its class object.
bool RequestMonitorClassObject()
{
    IUnknown* pUnknown = nullptr;
    if (FAILED(CoGetClassObject(CLSID_AppMon, CLSCTX_LOCAL_SERVER, nullptr, IID_IUnknown,
                                reinterpret_cast<void**>(&pUnknown))) ||
        !pUnknown)
        return false;
    pUnknown->Release();
    return true;
}

// Has COM start the monitor. Another host may have had one started at the same
// moment: the one started for this request then met it and ended. The monitor
// that stays is just starting, so it counts as started here: its pipe may still
// be on the way.
bool StartMonitor()
{
    return RequestMonitorClassObject() || IsMonitorRunning();
}

// What the lookup thread and its caller share; whichever of them is done last frees it.
struct ProbeJob
{
    HANDLE hLookedUp = CreateEventA(nullptr, TRUE, FALSE, nullptr); // the running object was looked for
    HANDLE hDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HMODULE hModule = nullptr; // the library, held while the thread runs
    std::atomic<long> nOwners{2};
    bool bRunning = false;      // set before hLookedUp
    bool bStartedByCom = false; // set before hDone

    ~ProbeJob()
    {
        if (hLookedUp)
            CloseHandle(hLookedUp);
        if (hDone)
            CloseHandle(hDone);
    }
    void Release()
    {
        if (--nOwners == 0)
            delete this;
    }
};

DWORD WINAPI LookUpThread(LPVOID pParameter)
{
    ProbeJob* pJob = static_cast<ProbeJob*>(pParameter);
    const HMODULE hModule = pJob->hModule;
    const bool bCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    pJob->bRunning = IsMonitorRunning();
    SetEvent(pJob->hLookedUp);
    if (!pJob->bRunning)
        pJob->bStartedByCom = StartMonitor();
    SetEvent(pJob->hDone);
    if (bCom)
        CoUninitialize();
    pJob->Release();
    FreeLibraryAndExitThread(hModule, 0);
}

// Waits for hEvent as the COM call it stands in for would: on a thread of a
// single-threaded apartment (a host's user-interface thread, mostly) COM's modal
// loop goes on handling the thread's messages, so the host's windows do not hang
// while COM looks for the monitor or starts it.
bool WaitForLookup(HANDLE hEvent, DWORD dwLimitMs)
{
    DWORD dwIndex = 0;
    return CoWaitForMultipleHandles(COWAIT_DEFAULT, dwLimitMs, 1, &hEvent, &dwIndex) == S_OK;
}

} // namespace

MonitorProbe ProbeMonitor()
{
    CoInitialize(nullptr);
    ProbeJob* pJob = new (std::nothrow) ProbeJob;
    HANDLE hThread = nullptr;
    if (pJob && pJob->hLookedUp && pJob->hDone &&
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&LookUpThread),
                           &pJob->hModule))
    {
        hThread = CreateThread(nullptr, 0, &LookUpThread, pJob, 0, nullptr);
        if (!hThread)
            FreeLibrary(pJob->hModule);
    }
    if (!hThread)
    {
        // Without a thread of its own the lookup runs here, unbounded as COM is.
        delete pJob;
        if (IsMonitorRunning())
            return MonitorProbe::kRunning;
        return StartMonitor() ? MonitorProbe::kStartedByCom : MonitorProbe::kNone;
    }

    MonitorProbe probe = MonitorProbe::kNone;
    bool bFinished = true;
    if (!WaitForLookup(pJob->hLookedUp, TimeLimits::kComLookupMs))
    {
        probe = MonitorProbe::kRunning; // registered but not answering: its pipe is tried
        bFinished = false;
    }
    else if (pJob->bRunning)
        probe = MonitorProbe::kRunning;
    else if (!WaitForLookup(pJob->hDone, TimeLimits::kComStartMs))
    {
        probe = MonitorProbe::kStartedByCom; // COM is still at it: its pipe may yet appear
        bFinished = false;
    }
    else if (pJob->bStartedByCom)
        probe = MonitorProbe::kStartedByCom;
    pJob->Release();
    // A lookup that has answered lets go of the library before this returns, so
    // that the host's FreeLibrary unloads it when the host expects.
    if (bFinished)
        WaitForLookup(hThread, TimeLimits::kLookupThreadExitMs);
    CloseHandle(hThread);
    return probe;
}
