// A host of the real Varnel.dll for the reliability tests: initialises the
// library, streams log lines of every kind and cleans up, reporting each step in
// the shared progress table so that a test can kill it at a chosen point. The
// command line is described in StressHostShared.h.
#include "AppMonIds.h"
#include "StressHostShared.h"
#include "varnel.h"

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// The host's slot in the table the test created; writes go nowhere without one.
class CProgressSlot
{
public:
    explicit CProgressSlot(unsigned uSlot)
    {
        m_hMapping = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, StressHost::kProgressMappingName);
        if (m_hMapping && uSlot < StressHost::kMaxSlots)
            m_pTable = static_cast<volatile LONG*>(
                ::MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, StressHost::kMaxSlots * sizeof(LONG)));
        if (m_pTable)
            m_pSlot = m_pTable + uSlot;
    }
    ~CProgressSlot()
    {
        if (m_pTable)
            ::UnmapViewOfFile(const_cast<LONG*>(m_pTable));
        if (m_hMapping)
            ::CloseHandle(m_hMapping);
    }
    CProgressSlot(const CProgressSlot&) = delete;
    CProgressSlot& operator=(const CProgressSlot&) = delete;

    bool IsOpen() const { return m_pSlot != nullptr; }
    void Report(StressHost::Phase phase) { ::InterlockedExchange(m_pSlot, phase); }

private:
    HANDLE m_hMapping = nullptr;
    volatile LONG* m_pTable = nullptr;
    volatile LONG* m_pSlot = nullptr;
};

void SendLine(int nClientId, int nLine)
{
    char szText[128];
    std::snprintf(szText, sizeof(szText), "stress host %d line %d", nClientId, nLine);
    ZOVLC_SendLogMessage(szText, nLine % 4);
}

// Wine's RPC runtime stops serving an endpoint for good when a client goes between
// connecting and the server's next listen (Windows has no such fault). The
// library's monitor lookup connects to Wine's RPC service and to the monitor's COM
// endpoint, so a host killed at that moment would leave every later host of the
// campaign without COM. The host makes those connections itself, while its phase
// tells the test not to kill it, and holds the object it found until the process
// ends: the library's lookup reuses the idle connections, and the kills land on
// the library's own work.
void ConnectComToTheMonitor()
{
    CoInitialize(nullptr);
    IUnknown* pMonitor = nullptr;
    GetActiveObject(CLSID_AppMon, nullptr, &pMonitor); // never released: held to the end
}

} // namespace

int main(int argc, char** argv)
{
    const bool bUntilEvent = argc == 5 && std::strcmp(argv[3], "until") == 0;
    if (argc != 4 && !bUntilEvent)
        return StressHost::kExitUsage;
    CProgressSlot progress(static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)));
    if (!progress.IsOpen())
        return StressHost::kExitNoProgressTable;
    const int nClientId = std::atoi(argv[2]);
    const std::string strPath = "C:\\stress\\host" + std::string(argv[1]) + ".exe";
    HANDLE hStop = bUntilEvent ? ::OpenEventA(SYNCHRONIZE, FALSE, argv[4]) : nullptr;
    if (bUntilEvent && !hStop)
        return StressHost::kExitUsage;

    progress.Report(StressHost::kConnectingCom);
    ConnectComToTheMonitor();
    progress.Report(StressHost::kInitialising);
    if (ZOVLC_Initialize(nClientId, strPath.c_str(), "stress") != ZOVLC_OK)
        return StressHost::kExitInitializeFailed;
    progress.Report(StressHost::kStreaming);

    int nExit = StressHost::kExitOk;
    if (bUntilEvent)
    {
        int nLine = 0;
        while (::WaitForSingleObject(hStop, 0) == WAIT_TIMEOUT)
            SendLine(nClientId, nLine++);
        // The monitor is gone now: every call must come back at once.
        for (int i = 0; i <= StressHost::kLinesAfterStop; ++i)
        {
            const DWORD dwStart = ::GetTickCount();
            if (i < StressHost::kLinesAfterStop)
                SendLine(nClientId, nLine++);
            else
            {
                progress.Report(StressHost::kSayingGoodbye);
                ZOVLC_CleanUp();
            }
            if (::GetTickCount() - dwStart > StressHost::kCallAfterStopLimitMs)
                nExit = StressHost::kExitSlowCall;
        }
        ::CloseHandle(hStop);
    }
    else
    {
        const int nLines = std::atoi(argv[3]);
        for (int nLine = 0; nLine < nLines; ++nLine)
            SendLine(nClientId, nLine);
        progress.Report(StressHost::kSayingGoodbye);
        ZOVLC_CleanUp();
    }
    progress.Report(StressHost::kDone);
    return nExit;
}
