// What tessaly_bench and its host processes (bench_host.exe) share: the names of
// the shared results block and of the two events that start and end a run, the
// layout of one host's slot, and the shape of the lines a host sends, which the
// bench finds again in the monitor's console.
#pragma once

#include <windows.h>

#include <cstdio>

namespace Bench
{

constexpr char kResultsMapping[] = "Local\\TessalyBench.Results";
// Manual-reset: set when every host of a run is ready / when the bench is done
// with the hosts of a run (memory measured, lines counted).
constexpr char kGoEvent[] = "Local\\TessalyBench.Go";
constexpr char kLeaveEvent[] = "Local\\TessalyBench.Leave";
// The raw echo server's pipe, in the bench process.
constexpr char kEchoPipeName[] = "\\\\.\\pipe\\TessalyBench.Echo";

constexpr int kMaxHosts = 64;
constexpr int kMaxLinesPerHost = 4000;
// Client ids of the hosts: kFirstClientId + slot.
constexpr int kFirstClientId = 1001;

// What a host is asked to do.
enum class HostMode : int
{
    kLog = 0,   // ZOVLC_SendLogMessage in debug mode through Varnel.dll and the monitor
    kEcho = 1,  // the same bytes as a log request, exchanged with the raw echo server
    kQuiet = 2, // ZOVLC_SendLogMessage outside debug mode (nothing is sent)
    // kEcho through the client library's own bounded overlapped I/O (PipeIo):
    // what the library's way of waiting adds to the raw round trip.
    kEchoOverlapped = 3,
};

enum HostState : LONG
{
    kHostStarting = 0,
    kHostReady = 1,
    kHostDone = 2,
    kHostFailed = -1,
};

struct HostSlot
{
    volatile LONG lState;
    LONG nLines;
    LONGLONG llStart;  // QueryPerformanceCounter before the first line
    LONGLONG llEnd;    // ... after the last one
    double dNsPerCall; // quiet mode: mean cost of one call
    float latencyUs[kMaxLinesPerHost];
};

struct SharedResults
{
    HostSlot slots[kMaxHosts];
};

// The text of line n of a host: a marker the bench counts in the console, padded
// to kLineTextChars so that every line has the same length.
constexpr int kLineTextChars = 40;
inline void FormatLineText(char (&szText)[kLineTextChars + 1], int nSlot, int nLine)
{
    const int n = std::snprintf(szText, sizeof(szText), "h%03d n%05d ", nSlot, nLine);
    for (int i = n < 0 ? 0 : n; i < kLineTextChars; ++i)
        szText[i] = static_cast<char>('a' + i % 26);
    szText[kLineTextChars] = '\0';
}

} // namespace Bench
