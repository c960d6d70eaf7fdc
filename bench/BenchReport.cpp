#include "BenchReport.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace Bench
{
namespace
{

const char* WineVersion()
{
    using WineGetVersion = const char*(__cdecl*)();
    HMODULE hNtdll = ::GetModuleHandleA("ntdll.dll");
    auto pfn = hNtdll ? reinterpret_cast<WineGetVersion>(
                            reinterpret_cast<void*>(::GetProcAddress(hNtdll, "wine_get_version")))
                      : nullptr;
    return pfn ? pfn() : "none (Windows)";
}

void Heading(const char* pszText)
{
    std::printf("%s\n", pszText);
}

void Row(const char* pszWhat, double dValue, const char* pszUnit, const char* pszNote = "")
{
    std::printf("  %-46s %10.1f  %-12s %s\n", pszWhat, dValue, pszUnit, pszNote);
}

void RunRow(const char* pszWhat, const RunResult& run, const char* pszUnit)
{
    char szNote[160];
    std::snprintf(szNote, sizeof(szNote), "p50 %.0f us, p99 %.0f us; %ld lines, %d/%d hosts", run.dP50Us,
                  run.dP99Us, run.nLinesSent, run.nHostsOk, run.nHostsAsked);
    Row(pszWhat, run.dLinesPerSecond, pszUnit, szNote);
}

void AppendRow(const char* pszWhat, const AppendCost& cost, const char* pszExtra = "")
{
    char szNote[120];
    std::snprintf(szNote, sizeof(szNote), "median; mean %.0f us%s", cost.dMeanUs, pszExtra);
    Row(pszWhat, cost.dMedianUs, "us/line", szNote);
}

void CountedRow(const char* pszWhat, const CountedRun& counted)
{
    char szNote[200];
    const LineCensus& census = counted.census;
    if (census.IsComplete())
        std::snprintf(szNote, sizeof(szNote), "all %ld lines in the console, in order (%d/%d hosts)",
                      census.nExpected, counted.run.nHostsOk, counted.run.nHostsAsked);
    else
        std::snprintf(szNote, sizeof(szNote),
                      "MISSING %ld of %ld lines, %ld duplicated, %ld out of order (%d/%d hosts)",
                      census.nExpected - census.nFound, census.nExpected, census.nDuplicates,
                      census.nOutOfOrder, counted.run.nHostsOk, counted.run.nHostsAsked);
    Row(pszWhat, counted.run.dLinesPerSecond, "lines/s", szNote);
}

double Ratio(double dPart, double dWhole)
{
    return dWhole > 0 ? dPart / dWhole : 0;
}

// One target: the measured ratio and whether it meets the bound.
void TargetRow(const char* pszWhat, double dRatio, bool bAtLeast, double dBound, bool bAlsoRequired = true)
{
    const bool bMet = bAlsoRequired && (bAtLeast ? dRatio >= dBound : dRatio <= dBound);
    std::printf("  %-46s %10.2f  %s %.2f     %s\n", pszWhat, dRatio, bAtLeast ? ">=" : "<=", dBound,
                bMet ? "met" : "NOT met");
}

// Median, least and greatest of a repetition's values.
struct Spread
{
    double dMedian = 0;
    double dLeast = 0;
    double dGreatest = 0;
};

Spread SpreadOf(std::vector<double> values)
{
    Spread spread;
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    spread.dMedian = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    spread.dLeast = values.front();
    spread.dGreatest = values.back();
    return spread;
}

void SpreadRow(const char* pszWhat, const std::vector<double>& values, const char* pszUnit)
{
    const Spread spread = SpreadOf(values);
    char szNote[120];
    std::snprintf(szNote, sizeof(szNote), "median of %zu; %.0f to %.0f", values.size(), spread.dLeast,
                  spread.dGreatest);
    Row(pszWhat, spread.dMedian, pszUnit, szNote);
}

// A target on the per-repetition ratios: their median against the bound, and
// their spread.
void SpreadTargetRow(const char* pszWhat, const std::vector<double>& ratios, double dBound, bool bAlsoRequired)
{
    const Spread spread = SpreadOf(ratios);
    const bool bMet = bAlsoRequired && !ratios.empty() && spread.dMedian >= dBound;
    std::printf("  %-46s %10.2f  >= %.2f     %-7s (%.2f to %.2f over %zu)\n", pszWhat, spread.dMedian, dBound,
                bMet ? "met" : "NOT met", spread.dLeast, spread.dGreatest, ratios.size());
}

std::vector<double> RatiosOf(const CeilingFigures& ceiling)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ceiling.hostRates.size() && i < ceiling.echoRates.size(); ++i)
        ratios.push_back(Ratio(ceiling.hostRates[i], ceiling.echoRates[i]));
    return ratios;
}

void PrintCeilingRows(const CeilingFigures (&ceilings)[3])
{
    Heading("7. the pipe's ceiling: raw echo clients and hosts of the same number, back to back");
    for (const CeilingFigures& ceiling : ceilings)
    {
        char szWhat[80];
        std::snprintf(szWhat, sizeof(szWhat), "%d echo client%s, aggregate", ceiling.nClients,
                      ceiling.nClients == 1 ? "" : "s");
        SpreadRow(szWhat, ceiling.echoRates, "round trips/s");
        if (!ceiling.overlappedEchoRates.empty())
            SpreadRow("  the same, the client library's overlapped I/O", ceiling.overlappedEchoRates,
                      "round trips/s");
        std::snprintf(szWhat, sizeof(szWhat), "%d host%s, aggregate%s", ceiling.nClients,
                      ceiling.nClients == 1 ? "" : "s", ceiling.bNothingLost ? "" : " (LINES MISSING)");
        SpreadRow(szWhat, ceiling.hostRates, "lines/s");
    }
}

void PrintCeilingTargets(const CeilingFigures (&ceilings)[3])
{
    SpreadTargetRow("1-host rate / 1-client echo rate", RatiosOf(ceilings[0]), 0.4, ceilings[0].bNothingLost);
    SpreadTargetRow("8-host rate / 8-client echo rate, nothing lost", RatiosOf(ceilings[1]), 0.75,
                    ceilings[1].bNothingLost);
    SpreadTargetRow("64-host rate / 64-client echo rate, nothing lost", RatiosOf(ceilings[2]), 0.75,
                    ceilings[2].bNothingLost);
}

} // namespace

void PrintReport(const BenchFigures& f)
{
    std::printf("Tessaly benchmark (Wine %s)\n", WineVersion());
    std::printf("  %-46s %10s  %-12s %s\n", "measurement", "value", "unit", "notes");

    Heading("1. raw pipe echo (the ceiling of a synchronous exchange)");
    RunRow("1 client process, log-sized requests", f.echo, "round trips/s");

    Heading("2. whole system: bench_host -> Varnel.dll -> Tessaly.exe, 1 host");
    RunRow("console hidden", f.hidden1.run, "lines/s");
    RunRow("console open", f.open1.run, "lines/s");
    RunRow("console hidden, one line per insertion", f.oneLine1.run, "lines/s");
    RunRow("console hidden, logging to a file", f.logged1.run, "lines/s");

    Heading("3. console append (CChildView in the bench process)");
    AppendRow("hidden, empty console", f.console.empty);
    AppendRow("hidden, at 50% of the 800,000-character cap", f.console.halfCap);
    AppendRow("hidden, at 95% of the cap", f.console.cap95);
    AppendRow("on screen, empty console", f.console.openEmpty, ", repaints included");
    AppendRow("on screen, at 95% of the cap", f.console.open95, ", repaints included");
    AppendRow("hidden, empty, 64 lines per insertion", f.console.grouped, ", per line");
    Row("Clear at the cap", f.console.dClearAtCapMs, "ms", "the clear, the banner and the line after it");
    Row("find over a full console", f.console.dFindOverFullMs, "ms", "a text it lacks: all 800,000 searched, median of 5");

    Heading("4. concurrent hosts, console hidden (lines counted in the console)");
    CountedRow("1 host", f.hidden1);
    CountedRow("1 host, console open", f.open1);
    CountedRow("8 hosts, aggregate", f.hosts8);
    CountedRow("64 hosts, aggregate", f.hosts64);
    Row("8 hosts, a line's round trip per host, p50", f.hosts8.run.dP50Us, "us");
    Row("8 hosts, a line's round trip per host, p99", f.hosts8.run.dP99Us, "us");
    Row("64 hosts, a line's round trip per host, p50", f.hosts64.run.dP50Us, "us");
    Row("64 hosts, a line's round trip per host, p99", f.hosts64.run.dP99Us, "us");
    Heading("   the same, every line its own insertion (TessalyOneLine.exe)");
    CountedRow("1 host", f.oneLine1);
    CountedRow("8 hosts, aggregate", f.oneLine8);
    CountedRow("64 hosts, aggregate", f.oneLine64);

    Heading("5. monitor memory (private bytes: the commit charge)");
    Row("idle, no client yet", static_cast<double>(f.memory.nIdle) / 1024.0, "KB");
    Row("64 clients connected, before their lines", static_cast<double>(f.memory.n64Connected) / 1024.0,
        "KB");
    Row("64 clients connected, after their lines", static_cast<double>(f.memory.n64AfterLines) / 1024.0, "KB",
        "the console holds their 6,400 lines");
    Row("after the 64 clients left", static_cast<double>(f.memory.nAfterLeaving) / 1024.0, "KB",
        "lines still in the console");

    Heading("6. disabled paths");
    Row("ZOVLogger Write, level off", f.isolated.dDisabledWriteNs, "ns/call");
    Row("ZOVLogger WriteFormat, level off", f.isolated.dDisabledWriteFormatNs, "ns/call");
    Row("ZOVLC_SendLogMessage outside debug mode", f.quiet.dNsPerCall, "ns/call");

    PrintCeilingRows(f.ceiling);

    Heading("where a line's time goes (isolated)");
    const double dEchoUs = Ratio(1e6, f.echo.dLinesPerSecond);
    const double dPartsUs = dEchoUs + f.isolated.dQueueHandOffUs + f.console.empty.dMedianUs;
    const double dWholeUs = Ratio(1e6, f.hidden1.run.dLinesPerSecond);
    Row("cross-thread SendMessage, empty handler", f.isolated.dCrossThreadSendUs, "us/call", "for comparison");
    Row("line queue hand-off to a draining window thread", f.isolated.dQueueHandOffUs, "us/line");
    Row("client: time stamp and request", f.isolated.dLineBuildUs, "us/line", "stamp made once a second");
    Row("client: the same, stamp formatted every line", f.isolated.dLineBuildFreshStampUs, "us/line");
    Row("console append, hidden (section 3)", f.console.empty.dMedianUs, "us/line", "median");
    Row("raw echo round trip, mean", dEchoUs, "us/line");
    Row("echo + queue hand-off + append", dPartsUs, "us/line", "the pieces above, added");
    Row("whole system, 1 host hidden, mean", dWholeUs, "us/line");
    Row("whole system, 1 host open, mean", Ratio(1e6, f.open1.run.dLinesPerSecond), "us/line");
    Row("console append, 64 lines per insertion", f.console.grouped.dMedianUs, "us/line",
        "median, per line (section 3)");
    Row("whole system, 8 hosts, mean per line", Ratio(1e6, f.hosts8.run.dLinesPerSecond), "us/line",
        "aggregate");
    Row("whole system, 64 hosts, mean per line", Ratio(1e6, f.hosts64.run.dLinesPerSecond), "us/line",
        "aggregate");

    Heading("targets (ratios of this run)");
    TargetRow("whole system per line / (echo + hand-off + append)", Ratio(dWholeUs, dPartsUs), false, 1.05);
    TargetRow("append at 95% of cap / append empty (medians)",
              Ratio(f.console.cap95.dMedianUs, f.console.empty.dMedianUs), false, 1.2);
    TargetRow("Clear at the cap, ms", f.console.dClearAtCapMs, false, 100.0);
    TargetRow("find over a full console, ms", f.console.dFindOverFullMs, false, 50.0);
    TargetRow("per-line cost open / hidden (1 host)",
              Ratio(f.hidden1.run.dLinesPerSecond, f.open1.run.dLinesPerSecond), false, 1.5);
    TargetRow("logging on / off (1 host)", Ratio(f.logged1.run.dLinesPerSecond, f.hidden1.run.dLinesPerSecond),
              true, 0.9, f.logged1.census.IsComplete() && f.hidden1.census.IsComplete());
    TargetRow("1 host: grouped rate / one-line path rate",
              Ratio(f.hidden1.run.dLinesPerSecond, f.oneLine1.run.dLinesPerSecond), true, 0.95,
              f.hidden1.census.IsComplete() && f.oneLine1.census.IsComplete());
    TargetRow("8-host rate / 1-host rate, nothing lost",
              Ratio(f.hosts8.run.dLinesPerSecond, f.hidden1.run.dLinesPerSecond), true, 2.0,
              f.hosts8.census.IsComplete() && f.hidden1.census.IsComplete());
    TargetRow("64-host rate / 1-host rate, nothing lost",
              Ratio(f.hosts64.run.dLinesPerSecond, f.hidden1.run.dLinesPerSecond), true, 3.0,
              f.hosts64.census.IsComplete() && f.hidden1.census.IsComplete());
    PrintCeilingTargets(f.ceiling);
    std::fflush(stdout);
}

void PrintCeilingReport(const CeilingFigures (&ceilings)[3])
{
    std::printf("Tessaly benchmark, the pipe's ceiling only (Wine %s)\n", WineVersion());
    PrintCeilingRows(ceilings);
    Heading("targets (ratios of this run)");
    PrintCeilingTargets(ceilings);
    std::fflush(stdout);
}

} // namespace Bench
