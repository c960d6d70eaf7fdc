// The system's benchmark: one run, one Wine prefix, one table. In order:
//  - in this process: the console's append cost (the real CChildView) and the
//    isolated costs (the line queue's hand-off, cross-thread SendMessage, the
//    client's line, the logger's disabled levels);
//  - the real Tessaly.exe with host processes that load the real Varnel.dll: its
//    memory idle and with 64 clients, whose lines are counted in the console;
//    the cost of ZOVLC_SendLogMessage outside debug mode; in turns, the raw pipe
//    echo between a host process and this process, 1 host with the console
//    hidden and open, and 1 host with TessalyOneLine.exe (the same monitor
//    appending every line by itself), every line counted; among those turns two
//    of 8 hosts and a second of 64 hosts;
//  - the pipe's ceiling: five repetitions of 1, 8 and 64 raw echo clients (1 and
//    8 also through the client library's overlapped I/O), each followed by as
//    many hosts against Tessaly.exe;
//  - TessalyOneLine.exe with 8 and 64 hosts.
// The installation (registry "Location", catalogue, companion) is a temporary
// one, and the registry is restored at the end. Figures are printed, never judged.
//   tessaly_bench
#include "BenchReport.h"
#include "ClassRegistrationGuard.h"
#include "EchoServer.h"
#include "RunningMonitor.h"
#include "TestInstallation.h"
#include "WinApp.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace
{

// The console's code needs an application object, as in the monitor.
class CBenchApp : public CWinApp
{
};
CBenchApp theApp;

constexpr int kConsoleLines = 400;
// The raw echo and the single host (console hidden and open, and with the
// one-line monitor) run in short turns, so that the machine's other load falls on
// their ratios' both sides alike.
constexpr int kTurns = 4;
constexpr int kLinesPerTurn = 750;
// 8 x 800 and 64 x 100 lines: the same total, well inside the console's cap.
constexpr int kEightHostLines = 800;
constexpr int kManyHostLines = 100;
constexpr int kManyHosts = 64;
constexpr int kQuietCalls = 1000000;
constexpr DWORD kReadyTimeoutMs = 180000;
constexpr DWORD kDoneTimeoutMs = 300000;
constexpr DWORD kLeaveTimeoutMs = 60000;
constexpr DWORD kSettleMs = 1000;
// The pipe's ceiling: repetitions of echo clients and hosts, 1, 8 and 64 of each.
constexpr int kCeilingRepeats = 5;
constexpr int kCeilingClients[] = {1, 8, kManyHosts};
constexpr int kCeilingLines[] = {kLinesPerTurn, kEightHostLines, kManyHostLines};
// The echo through the client library's overlapped I/O runs for 1 and 8 clients:
// 64 more processes five times would take the benchmark past its ten minutes.
constexpr int kMaxOverlappedEchoClients = 8;

void Progress(const char* pszStep)
{
    std::fprintf(stderr, "bench: %s\n", pszStep);
    std::fflush(stderr);
}

// A run of log hosts whose lines are then counted in the monitor's console; with
// pMemory, the monitor's memory around it.
Bench::CountedRun RunLogHosts(const Bench::CSharedResults& shared, const Bench::CRunningMonitor& monitor,
                              int nHosts, int nLines, Bench::MemoryFigures* pMemory = nullptr)
{
    Bench::CountedRun counted;
    Bench::CHostRun run(shared, Bench::HostMode::kLog, nHosts, nLines, true);
    run.StartAndWaitReady(kReadyTimeoutMs);
    // The hosts' start lines are in; the count starts from an empty console.
    monitor.ClearConsole();
    if (pMemory)
    {
        ::Sleep(kSettleMs);
        pMemory->n64Connected = monitor.PrivateBytes();
    }
    counted.run = run.GoAndWaitDone(kDoneTimeoutMs);
    counted.census = Bench::TakeLineCensus(monitor.ConsoleText(), nHosts, nLines);
    if (pMemory)
        pMemory->n64AfterLines = monitor.PrivateBytes();
    run.Leave(kLeaveTimeoutMs);
    if (pMemory)
    {
        ::Sleep(kSettleMs);
        pMemory->nAfterLeaving = monitor.PrivateBytes();
    }
    return counted;
}

// nClients echo clients (mode: kEcho or kEchoOverlapped) at once against the
// bench's own echo server.
Bench::RunResult RunEchoClients(const Bench::CSharedResults& shared, Bench::HostMode mode, int nClients,
                                int nLines)
{
    Bench::CHostRun run(shared, mode, nClients, nLines, false);
    run.StartAndWaitReady(kReadyTimeoutMs);
    Bench::RunResult result = run.GoAndWaitDone(kDoneTimeoutMs);
    run.Leave(kLeaveTimeoutMs);
    return result;
}

Bench::RunResult RunOtherHost(const Bench::CSharedResults& shared, Bench::HostMode mode, int nLines,
                              bool bDebugMode)
{
    Bench::CHostRun run(shared, mode, 1, nLines, bDebugMode);
    run.StartAndWaitReady(kReadyTimeoutMs);
    Bench::RunResult result = run.GoAndWaitDone(kDoneTimeoutMs);
    run.Leave(kLeaveTimeoutMs);
    return result;
}

// The monitor program the next runs need, started (and the other one ended) when
// it is not the one running.
class CMonitorInUse
{
public:
    bool Use(const char* pszProgram)
    {
        if (m_pMonitor && m_pszProgram == pszProgram)
            return true;
        m_pMonitor.reset();
        m_pszProgram = pszProgram;
        m_pMonitor.reset(new Bench::CRunningMonitor);
        if (!m_pMonitor->Start(pszProgram))
        {
            std::fprintf(stderr, "bench: %s did not come up\n", pszProgram);
            return false;
        }
        ::Sleep(kSettleMs);
        return true;
    }
    const Bench::CRunningMonitor& Monitor() const { return *m_pMonitor; }
    void Exit()
    {
        if (m_pMonitor)
            m_pMonitor->Exit();
        m_pMonitor.reset();
    }

private:
    std::unique_ptr<Bench::CRunningMonitor> m_pMonitor;
    const char* m_pszProgram = nullptr;
};

// The monitor's user setting that has it log to a file, for as long as this
// lives; the file goes with it.
class CLogFileSetting
{
public:
    CLogFileSetting()
    {
        char szDir[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, szDir);
        m_strPath = std::string(szDir) + "tessaly-bench.log";
        ::DeleteFileA(m_strPath.c_str());
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "LogFile", REG_SZ, m_strPath.c_str(),
                          static_cast<DWORD>(m_strPath.size() + 1));
    }
    ~CLogFileSetting()
    {
        ::RegSetKeyValueA(HKEY_CURRENT_USER, kSettingsKey, "LogFile", REG_SZ, "", 1);
        ::DeleteFileA(m_strPath.c_str());
    }
    CLogFileSetting(const CLogFileSetting&) = delete;
    CLogFileSetting& operator=(const CLogFileSetting&) = delete;

private:
    static constexpr char kSettingsKey[] = "Software\\Marvane\\Tessaly\\Settings";
    std::string m_strPath;
};

void AddTurn(Bench::CountedRun& total, const Bench::CountedRun& turn, bool bFirst)
{
    total.run = bFirst ? turn.run : Bench::CombineRuns(total.run, turn.run);
    if (bFirst)
        total.census = turn.census;
    else
        total.census.Add(turn.census);
}

// Echo clients and hosts of the same numbers, back to back, repeated.
bool RunCeiling(Bench::CSharedResults& shared, CMonitorInUse& monitors, Bench::CeilingFigures (&ceilings)[3])
{
    if (!monitors.Use(Bench::kMonitorProgram))
        return false;
    for (int nRepeat = 0; nRepeat < kCeilingRepeats; ++nRepeat)
    {
        for (int i = 0; i < 3; ++i)
        {
            Bench::CeilingFigures& ceiling = ceilings[i];
            ceiling.nClients = kCeilingClients[i];
            Progress("the pipe's ceiling: echo clients, then hosts of the same number");
            ceiling.echoRates.push_back(
                RunEchoClients(shared, Bench::HostMode::kEcho, kCeilingClients[i], kCeilingLines[i])
                    .dLinesPerSecond);
            if (kCeilingClients[i] <= kMaxOverlappedEchoClients)
                ceiling.overlappedEchoRates.push_back(RunEchoClients(shared, Bench::HostMode::kEchoOverlapped,
                                                                     kCeilingClients[i], kCeilingLines[i])
                                                          .dLinesPerSecond);
            const Bench::CountedRun hosts =
                RunLogHosts(shared, monitors.Monitor(), kCeilingClients[i], kCeilingLines[i]);
            ceiling.hostRates.push_back(hosts.run.dLinesPerSecond);
            ceiling.bNothingLost = ceiling.bNothingLost && hosts.census.IsComplete();
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool bCeilingOnly = argc == 2 && std::strcmp(argv[1], "--ceiling") == 0;
    if (argc > 1 && !bCeilingOnly)
    {
        std::fprintf(stderr, "usage: tessaly_bench [--ceiling]\n");
        return 2;
    }
    if (Bench::IsAnyMonitorRunning())
    {
        std::fprintf(stderr, "bench: a Tessaly.exe already runs in this Wine prefix; end it first\n");
        return 1;
    }
    Bench::CClassRegistrationGuard registration;
    CTestInstallation installation(CTestInstallation::Kind::kWithCatalogue);
    Bench::CSharedResults shared;
    if (!shared.IsValid() || !Bench::StartEchoServer())
    {
        std::fprintf(stderr, "bench: cannot create the shared results or the echo server\n");
        return 1;
    }

    if (bCeilingOnly)
    {
        CMonitorInUse monitors;
        Bench::CeilingFigures ceilings[3];
        if (!RunCeiling(shared, monitors, ceilings))
            return 1;
        monitors.Exit();
        Bench::PrintCeilingReport(ceilings);
        return 0;
    }
    Bench::BenchFigures figures;
    Progress("console append cost");
    figures.console = Bench::MeasureConsoleAppend(kConsoleLines);
    Progress("isolated costs");
    figures.isolated = Bench::MeasureIsolatedCosts();
    Progress("starting Tessaly.exe");
    CMonitorInUse monitors;
    if (!monitors.Use(Bench::kMonitorProgram))
        return 1;
    figures.memory.nIdle = monitors.Monitor().PrivateBytes();
    // First, so that the memory figures are the connections' and their lines'.
    Progress("64 hosts");
    figures.hosts64 = RunLogHosts(shared, monitors.Monitor(), kManyHosts, kManyHostLines, &figures.memory);

    Progress("ZOVLC_SendLogMessage outside debug mode");
    figures.quiet = RunOtherHost(shared, Bench::HostMode::kQuiet, kQuietCalls, false);
    for (int nTurn = 0; nTurn < kTurns; ++nTurn)
    {
        const bool bFirst = nTurn == 0;
        Progress("raw pipe echo");
        const Bench::RunResult echo = RunOtherHost(shared, Bench::HostMode::kEcho, kLinesPerTurn, false);
        figures.echo = bFirst ? echo : Bench::CombineRuns(figures.echo, echo);
        // Turns alternate which monitor comes first, so that neither gets the
        // quieter moments, and each switch serves two turns.
        for (int nStep = 0; nStep < 2; ++nStep)
        {
            if ((nStep == 0) == (nTurn % 2 == 0))
            {
                if (!monitors.Use(Bench::kMonitorProgram))
                    return 1;
                Progress("1 host, console hidden");
                AddTurn(figures.hidden1, RunLogHosts(shared, monitors.Monitor(), 1, kLinesPerTurn), bFirst);
                Progress("1 host, console open");
                monitors.Monitor().OpenConsole();
                AddTurn(figures.open1, RunLogHosts(shared, monitors.Monitor(), 1, kLinesPerTurn), bFirst);
                monitors.Monitor().HideConsole();
                {
                    // A monitor of its own, started with a log file in the user's settings.
                    CLogFileSetting logging;
                    monitors.Exit();
                    if (!monitors.Use(Bench::kMonitorProgram))
                        return 1;
                    Progress("1 host, console hidden, logging to a file");
                    AddTurn(figures.logged1, RunLogHosts(shared, monitors.Monitor(), 1, kLinesPerTurn), bFirst);
                    monitors.Exit();
                }
                if (!monitors.Use(Bench::kMonitorProgram))
                    return 1;
                // The many-host runs' further turns fall among the single host's,
                // so that a burst of the machine's other load weighs on both sides
                // of their ratios.
                if (nTurn % 2 == 1)
                {
                    Progress("8 hosts");
                    AddTurn(figures.hosts8, RunLogHosts(shared, monitors.Monitor(), 8, kEightHostLines),
                            nTurn == 1);
                }
                else if (nTurn == 2)
                {
                    Progress("64 hosts");
                    AddTurn(figures.hosts64, RunLogHosts(shared, monitors.Monitor(), kManyHosts, kManyHostLines),
                            false);
                }
            }
            else
            {
                if (!monitors.Use(Bench::kOneLineMonitorProgram))
                    return 1;
                Progress("1 host, console hidden, one line per insertion");
                AddTurn(figures.oneLine1, RunLogHosts(shared, monitors.Monitor(), 1, kLinesPerTurn), bFirst);
            }
        }
    }
    if (!RunCeiling(shared, monitors, figures.ceiling))
        return 1;
    if (!monitors.Use(Bench::kOneLineMonitorProgram))
        return 1;
    Progress("8 hosts, one line per insertion");
    figures.oneLine8 = RunLogHosts(shared, monitors.Monitor(), 8, kEightHostLines);
    Progress("64 hosts, one line per insertion");
    figures.oneLine64 = RunLogHosts(shared, monitors.Monitor(), kManyHosts, kManyHostLines);
    monitors.Exit();

    Bench::PrintReport(figures);
    return 0;
}
