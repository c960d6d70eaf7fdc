// One run of host processes: starts bench_host.exe in the mode asked, as many
// times as asked, waits until all are ready, lets them go at once, waits until
// all have sent their lines, collects their timings and finally lets them end
// (a host keeps its connection until then). Hosts that fail or never report are
// counted, not waited for beyond the time-out.
#pragma once

#include "BenchIpc.h"

#include <windows.h>

#include <vector>

namespace Bench
{

// The shared results block and the two events of every run; one per bench.
class CSharedResults
{
public:
    CSharedResults();
    ~CSharedResults();
    CSharedResults(const CSharedResults&) = delete;
    CSharedResults& operator=(const CSharedResults&) = delete;

    bool IsValid() const { return m_pResults != nullptr && m_hGo != nullptr && m_hLeave != nullptr; }
    SharedResults& Results() const { return *m_pResults; }
    // Clears every slot and both events for a new run.
    void Reset() const;
    void Go() const { ::SetEvent(m_hGo); }
    void Leave() const { ::SetEvent(m_hLeave); }

private:
    HANDLE m_hMapping = nullptr;
    SharedResults* m_pResults = nullptr;
    HANDLE m_hGo = nullptr;
    HANDLE m_hLeave = nullptr;
};

struct RunResult
{
    int nHostsAsked = 0;
    int nHostsOk = 0;    // ready, went, reported done
    long nLinesSent = 0; // over the hosts that reported
    double dSeconds = 0; // first host's first line to last host's last line
    double dLinesPerSecond = 0;
    double dP50Us = 0; // per call, over every line of every host
    double dP99Us = 0;
    double dNsPerCall = 0; // quiet mode: mean over the hosts
    std::vector<float> latenciesUs;
};

// Two runs of the same kind as one: lines and seconds added, percentiles over all.
RunResult CombineRuns(const RunResult& first, const RunResult& second);

class CHostRun
{
public:
    CHostRun(const CSharedResults& shared, HostMode mode, int nHosts, int nLinesPerHost, bool bDebugMode);
    // Ends the hosts still running (after Leave they end by themselves).
    ~CHostRun();
    CHostRun(const CHostRun&) = delete;
    CHostRun& operator=(const CHostRun&) = delete;

    // Starts the processes and waits until each is ready or failed; the number ready.
    int StartAndWaitReady(DWORD dwTimeoutMs);
    // Lets the hosts send and waits until each has finished or failed.
    RunResult GoAndWaitDone(DWORD dwTimeoutMs);
    // Lets the hosts clean up and end; waits for them.
    void Leave(DWORD dwTimeoutMs);

private:
    bool WaitForStates(LONG lWanted, DWORD dwTimeoutMs) const;

    const CSharedResults& m_shared;
    HostMode m_mode;
    int m_nHosts;
    int m_nLinesPerHost;
    bool m_bDebugMode;
    std::vector<HANDLE> m_processes;
};

} // namespace Bench
