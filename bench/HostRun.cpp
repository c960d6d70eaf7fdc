#include "HostRun.h"

#include "BenchClock.h"

#include <cstring>
#include <string>

namespace Bench
{
namespace
{

constexpr char kDebugVariable[] = "QX_LMDEBUGLOGLEVEL";
// A debug mode without a logger: the hosts forward their lines, nothing else.
constexpr char kDebugValue[] = "ALL";
constexpr DWORD kPollMs = 5;

const char* ModeArgument(HostMode mode)
{
    switch (mode)
    {
    case HostMode::kEcho:
        return "echo";
    case HostMode::kEchoOverlapped:
        return "echo-overlapped";
    case HostMode::kQuiet:
        return "quiet";
    default:
        return "log";
    }
}

std::string HostProgramPath()
{
    char szPath[MAX_PATH];
    ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath = szPath;
    return strPath.substr(0, strPath.find_last_of('\\') + 1) + "bench_host.exe";
}

} // namespace

CSharedResults::CSharedResults()
{
    m_hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedResults),
                                      kResultsMapping);
    if (m_hMapping)
        m_pResults = static_cast<SharedResults*>(
            ::MapViewOfFile(m_hMapping, FILE_MAP_WRITE, 0, 0, sizeof(SharedResults)));
    m_hGo = ::CreateEventA(nullptr, TRUE, FALSE, kGoEvent);
    m_hLeave = ::CreateEventA(nullptr, TRUE, FALSE, kLeaveEvent);
}

CSharedResults::~CSharedResults()
{
    if (m_pResults)
        ::UnmapViewOfFile(m_pResults);
    for (HANDLE h : {m_hMapping, m_hGo, m_hLeave})
    {
        if (h)
            ::CloseHandle(h);
    }
}

void CSharedResults::Reset() const
{
    ::ResetEvent(m_hGo);
    ::ResetEvent(m_hLeave);
    std::memset(m_pResults, 0, sizeof(SharedResults));
}

CHostRun::CHostRun(const CSharedResults& shared, HostMode mode, int nHosts, int nLinesPerHost,
                   bool bDebugMode)
    : m_shared(shared), m_mode(mode), m_nHosts(nHosts > kMaxHosts ? kMaxHosts : nHosts),
      m_nLinesPerHost(nLinesPerHost), m_bDebugMode(bDebugMode)
{
}

CHostRun::~CHostRun()
{
    for (HANDLE hProcess : m_processes)
    {
        if (::WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT)
            ::TerminateProcess(hProcess, 99);
        ::CloseHandle(hProcess);
    }
}

int CHostRun::StartAndWaitReady(DWORD dwTimeoutMs)
{
    m_shared.Reset();
    // The hosts inherit this process's environment, changed for their start only.
    char szSaved[4096];
    const DWORD cchSaved = ::GetEnvironmentVariableA(kDebugVariable, szSaved, sizeof(szSaved));
    ::SetEnvironmentVariableA(kDebugVariable, m_bDebugMode ? kDebugValue : nullptr);
    const std::string strProgram = HostProgramPath();
    for (int nSlot = 0; nSlot < m_nHosts; ++nSlot)
    {
        std::string strCommand = "\"" + strProgram + "\" " + ModeArgument(m_mode) + " " +
                                 std::to_string(nSlot) + " " + std::to_string(m_nLinesPerHost);
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!::CreateProcessA(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                              &pi))
        {
            m_shared.Results().slots[nSlot].lState = kHostFailed;
            continue;
        }
        ::CloseHandle(pi.hThread);
        m_processes.push_back(pi.hProcess);
    }
    ::SetEnvironmentVariableA(kDebugVariable, cchSaved && cchSaved < sizeof(szSaved) ? szSaved : nullptr);

    WaitForStates(kHostReady, dwTimeoutMs);
    int nReady = 0;
    for (int nSlot = 0; nSlot < m_nHosts; ++nSlot)
        nReady += m_shared.Results().slots[nSlot].lState == kHostReady;
    return nReady;
}

bool CHostRun::WaitForStates(LONG lWanted, DWORD dwTimeoutMs) const
{
    const DWORD dwStart = ::GetTickCount();
    for (;;)
    {
        int nPending = 0;
        for (int nSlot = 0; nSlot < m_nHosts; ++nSlot)
        {
            const LONG lState = m_shared.Results().slots[nSlot].lState;
            nPending += lState != lWanted && lState != kHostFailed;
        }
        if (nPending == 0)
            return true;
        if (::GetTickCount() - dwStart > dwTimeoutMs)
            return false;
        ::Sleep(kPollMs);
    }
}

RunResult CHostRun::GoAndWaitDone(DWORD dwTimeoutMs)
{
    m_shared.Go();
    WaitForStates(kHostDone, dwTimeoutMs);

    RunResult result;
    result.nHostsAsked = m_nHosts;
    std::vector<float>& latencies = result.latenciesUs;
    LONGLONG llFirst = 0;
    LONGLONG llLast = 0;
    double dNsTotal = 0;
    for (int nSlot = 0; nSlot < m_nHosts; ++nSlot)
    {
        const HostSlot& slot = m_shared.Results().slots[nSlot];
        if (slot.lState != kHostDone)
            continue;
        ++result.nHostsOk;
        result.nLinesSent += slot.nLines;
        if (result.nHostsOk == 1 || slot.llStart < llFirst)
            llFirst = slot.llStart;
        if (result.nHostsOk == 1 || slot.llEnd > llLast)
            llLast = slot.llEnd;
        dNsTotal += slot.dNsPerCall;
        if (m_mode != HostMode::kQuiet)
            latencies.insert(latencies.end(), slot.latencyUs, slot.latencyUs + slot.nLines);
    }
    if (result.nHostsOk > 0)
    {
        result.dSeconds = SecondsBetween(llFirst, llLast);
        result.dLinesPerSecond = result.dSeconds > 0 ? result.nLinesSent / result.dSeconds : 0;
        result.dNsPerCall = dNsTotal / result.nHostsOk;
    }
    result.dP50Us = Percentile(latencies, 50);
    result.dP99Us = Percentile(latencies, 99);
    return result;
}

RunResult CombineRuns(const RunResult& first, const RunResult& second)
{
    RunResult result = first;
    result.nHostsAsked += second.nHostsAsked;
    result.nHostsOk += second.nHostsOk;
    result.nLinesSent += second.nLinesSent;
    result.dSeconds += second.dSeconds;
    result.dLinesPerSecond = result.dSeconds > 0 ? result.nLinesSent / result.dSeconds : 0;
    result.latenciesUs.insert(result.latenciesUs.end(), second.latenciesUs.begin(), second.latenciesUs.end());
    result.dP50Us = Percentile(result.latenciesUs, 50);
    result.dP99Us = Percentile(result.latenciesUs, 99);
    return result;
}

void CHostRun::Leave(DWORD dwTimeoutMs)
{
    m_shared.Leave();
    const DWORD dwStart = ::GetTickCount();
    for (HANDLE hProcess : m_processes)
    {
        const DWORD dwSpent = ::GetTickCount() - dwStart;
        ::WaitForSingleObject(hProcess, dwSpent < dwTimeoutMs ? dwTimeoutMs - dwSpent : 0);
    }
}

} // namespace Bench
